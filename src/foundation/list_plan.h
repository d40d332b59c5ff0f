// What the conversion does with one list store's files - an old list file and the 3.1 list made
// from it ("Database.Folders" -> "Folders.List", "ContactList.Users" -> "Contacts.List", the
// canned-reply ".Array" -> ".List") - decided from what is on disk without changing anything.
//
// A store makes the plan; ApplyListPlan is the only code that writes or deletes those files, and
// zvtool check prints the very same plan, so the tool's verdict is the conversion's by
// construction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/existing_list.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"

enum class TvListVerdict {
  kNothingToConvert,  // the old file holds nothing to read (missing, empty, no content)
  kAlreadyConverted,  // the old file is gone and the 3.1 list is there: it is left as it is
  kConverts,          // the 3.1 list is written from the old file
  kKeepsNewList,      // an old file without content leaves the 3.1 list as it is
  kNotConverted,      // the old file cannot be read whole, or the 3.1 list differs: both kept
};
// A short stable word for a verdict, for check's report and tests ("converts").
const char* VerdictKey(TvListVerdict verdict);

// A line the plan's apply logs, in the words and at the level the log gets.
struct TvPlannedLine {
  std::string text;
  int32_t level = kLogInfo;
};

struct TvListPlan {
  std::string label;    // "Contact list": the store, as its lines and check's report name it
  std::string oldPath;  // as named on disk (any letter case), or where it would be
  std::string newPath;
  TvListVerdict verdict = TvListVerdict::kNothingToConvert;
  std::string reason;   // for people: why this verdict (check prints it)
  TvExistingList existing = TvExistingList::kAbsent;  // what is at newPath
  // The old file is missing and reading it creates it empty (the stores open it open-or-create).
  bool createsOldFile = false;
  std::string newBytes;  // kConverts: the bytes newPath receives
  // Logged first, in order: items a rule drops, a kept list, an old file without content.
  std::vector<TvPlannedLine> lines;
  // With delete-old: whether the old file may go (after its 3.1 list is written and reads back as
  // written, when there is one), and the words of its lines ("Old array file"). When it may
  // not, keptOldLine (when set) is logged at Info instead.
  bool oldFileMayGo = false;
  std::string deletedWord;     // "<word>: <old file> , Deleted"
  std::string notDeletedWord;  // "<word>: <old file> , NOT deleted" (Error)
  std::string keptOldLine;

  // An Error line is planned: the run cannot end clean.
  bool Failure() const;
};

// Carries out plan: creates the missing old file when the plan says reading creates it, logs the
// planned lines, writes the 3.1 list (counted as a converted list file), and with deleteOld
// deletes the old file when the plan lets it go and its new list reads back as written. Failures
// are shown and logged as they happen; false when any write or deletion failed.
bool ApplyListPlan(const TvListPlan& plan, TvBool deleteOld, TvLog& log);
