// The settings file's format, REGEDIT4 text, as a pure function over bytes: Parse reads a whole
// file into keys and values, Format writes them back. Format's output parses to the same keys and
// values, so the store can rewrite the file it read without changing anything it does not set.
//
// Key and value names compare without regard to ASCII case, as the registry's do. A value keeps
// its registry type and its bytes as the registry would hand them out (a text with its NUL).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {
namespace regfile {

struct Value {
  std::string name;  // empty for the key's default value ("@")
  uint32_t type = 0;
  std::string data;
};

struct Key {
  std::string path;  // full path with its root, "HKEY_CURRENT_USER\software\..."
  std::vector<Value> values;
};

// Equal without regard to ASCII letter case.
bool SameName(const std::string& a, const std::string& b);
// True when key lies at or below ancestor ("A\B" is below "a\b" and "A", not below "A\" + "Bx").
bool IsAtOrBelow(const std::string& key, const std::string& ancestor);

struct Document {
  std::vector<Key> keys;  // in file order

  Key* Find(const std::string& path);
  Key& FindOrAdd(const std::string& path);
  // A key exists when it is written or any key below it is (as the registry keeps parents).
  bool Exists(const std::string& path) const;
};

Value* FindValue(Key& key, const std::string& name);

struct Parsed {
  Document document;    // what the file holds; after a problem, what was read before it
  std::string problem;  // empty when the whole file was read; else names the line
  bool Ok() const { return problem.empty(); }
};

// Reads a whole file: the header line "REGEDIT4" (or the version 5 header), then "[key]" lines
// and value lines ("name"=dword:..., ="text", =hex:..., =hex(type):..., =- to delete),
// "[-key]" to delete a key with everything below it, comments after ';'. An empty file is an
// empty document.
Parsed Parse(const std::string& bytes);

// The whole file for document, one "[key]" block per key, in order.
std::string Format(const Document& document);

}  // namespace regfile
}  // namespace platform
