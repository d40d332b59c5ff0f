// Helpers shared by the zvtool commands: texts for JSON and for people, paths, a private scratch
// folder, a progress line, and the readable rendering of a dump or report document.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

namespace zvtool {

// Documents keep their keys in the order they were added, so text and JSON read alike.
using Json = nlohmann::ordered_json;

// Stored texts are bytes in the ANSI code page. JSON wants UTF-8: each byte above 0x7F is taken as
// the Latin-1 character of the same value, so every byte survives and the output always parses.
std::string JsonText(const std::string& bytes);
// Space-separated upper-case hexadecimal byte pairs.
std::string HexBytes(const std::string& bytes);
// Sixteen upper-case hexadecimal digits.
std::string Hex16(uint64_t value);
// "0x" and eight upper-case hexadecimal digits.
std::string Hex32(uint32_t value);
// "1,234,567".
std::string Grouped(uint64_t value);

// dir with the platform's separator at its end.
std::string WithSeparator(std::string dir);
std::string JoinPath(const std::string& dir, const std::string& name);
// A fixed file of a data folder ("Database.Folders", "Contacts.List", a folder's
// "Messages.Index") as the conversion finds it: under its own name, else under the name of
// another letter case that is there (a folder copied from Windows). dataFolder ends in a
// separator.
std::string FixedFile(const std::string& dataFolder, const char* name);
bool IsExistingDirectory(const std::string& path);
bool IsExistingFile(const std::string& path);
// The bare file name of a path.
std::string BaseName(const std::string& path);
uint64_t FileLength(const std::string& path);

// A private folder in the system's temporary directory, removed with its contents at the end.
// Staged attachments and the readers' log lines go there, never into a data folder.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  bool Ok() const { return !m_path.empty(); }
  const std::string& Path() const { return m_path; }  // ends in a separator

 private:
  std::string m_path;
};

// "label: n/total" rewritten in place on stderr, only when stderr is a terminal and the run is
// long enough to be worth it.
class Progress {
 public:
  Progress(std::string label, uint64_t total);
  ~Progress();
  void Step();

 private:
  std::string m_label;
  uint64_t m_total;
  uint64_t m_done = 0;
  bool m_enabled;
  bool m_shown = false;
};

// Writes a document for people: "key: value" lines, nested objects indented, array elements
// marked with "- ".
void PrintReadable(std::ostream& out, const Json& document);

}  // namespace zvtool
