// A rerun may find a 3.1 list file ("Folders.List", "Contacts.List", "FastReplys.List",
// "AutoAnswers.List") where the conversion is about to write one, and the user may have changed
// it in 3.1 since an earlier run wrote it. Every list store follows one rule: a list that reads as
// its format is replaced only when it holds nothing yet or when the new bytes are the very bytes
// it holds; otherwise it is kept, the old file is kept too, and one Error line names both. A file
// that does not read as its format cannot have been written by the messenger and is replaced as
// any missing list would be.
#pragma once

#include <functional>
#include <string>

#include "foundation/tv_file.h"
#include "foundation/types.h"

// A TvFile that gathers what is written in memory: a store encodes its new list into it first,
// so the list can be held against one already there and then written with one call.
class TvMemoryFile : public TvFile {
 public:
  TvMemoryFile() : TvFile(0, 0) {}
  TvBool Write(const void* buffer, uint32_t count) override;
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

// What a store's reader makes of a list file already there.
struct TvListContent {
  bool readsAsFormat = false;   // the whole list reads as the store's 3.1 format
  bool holdsSomething = false;  // folders beyond the standard ones, groups, texts
};

// What the conversion finds where it is about to write a list file.
enum class TvExistingList {
  kAbsent,        // no file of that name
  kNotAList,      // a file that does not read as the format: replaced as before
  kHoldsNothing,  // a list of the format without content: replaced
  kSame,          // the bytes about to be written: writing them again changes nothing
  kDiffers,       // a list that holds something else: kept, it may hold changes made in 3.1
  kUnreadable,    // there, but its bytes cannot be read (reported): kept
};

// What a store's reader makes of a list's bytes, read without showing anything.
using TvListReader = std::function<TvListContent(const std::string& bytes)>;
// Judges the file at path (the name as found, in any letter case) against newBytes, reading it
// once: its bytes are held against newBytes and then handed to read.
TvExistingList JudgeExistingList(const std::string& path, const std::string& newBytes,
                                 const TvListReader& read);
// Whether the list found may be replaced by the new one.
inline bool MayReplace(TvExistingList found) {
  return found != TvExistingList::kDiffers && found != TvExistingList::kUnreadable;
}
// The Error line of a list that is kept: "<label>: <old file> , NOT converted, <new file>
// already exists and differs, it may hold changes made in 3.1".
std::string KeptListLine(const char* label, const std::string& oldPath, const std::string& newPath,
                         TvExistingList found);

// Writes bytes as the list file path with one write, through a temporary file that replaces the
// final name only once it is complete and flushed; a failed write leaves an earlier file of that
// name untouched. Failures are shown.
TvBool WriteListFile(const std::string& path, const std::string& bytes);
