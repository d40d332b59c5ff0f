#include "database/leftover_files.h"

#include <map>

#include "contacts/tv_contact_list.h"
#include "database/folders_format.h"
#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/message_format.h"
#include "messages/tv_message.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "replies/tv_text_messages.h"

namespace {

constexpr size_t kMessageIdDigits = 16;
const std::string kMessageSuffix = ".Message";

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsHexDigits(const std::string& text) {
  for (char c : text) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit) return false;
  }
  return true;
}

// Why a file does not read whole as its format; empty when it does.
using WholeCheck = std::string (*)(const std::string& path);

std::string MessageProblem(const std::string& path) {
  msg31::MessageFile file;
  msg31::Problem problem;
  if (msg31::ReadMessageFile(path, file, &problem, 0)) return std::string();
  return "it is no complete message file (" + problem.text + ")";
}

std::string FoldersListProblem(const std::string& path) {
  std::string bytes;
  if (!folders::ReadWholeFile(path, bytes)) return "it cannot be read";
  folders::FoldersFile file;
  std::string problem;
  if (folders::DecodeFoldersFile(bytes, file, &problem)) return std::string();
  return "it is no complete folders list (" + problem + ")";
}

std::string ContactListProblem(const std::string& path) {
  TvContactListFile file;
  const auto problem = TvContactList::ReadRecords(path, kModeReadShared, false, file);
  if (problem.Ok() && file.end == file.length) return std::string();
  return "it is no complete contact list" +
         (problem.Ok() ? std::string() : " (" + problem.text + ")");
}

// A list of texts the conversion writes always has its 12-byte header: an empty one is cut short.
std::string TextListProblem(const std::string& path) {
  TvTextListFile file;
  const auto problem = TvTextMessagesArray::ReadRecords(path, kModeReadShared, file);
  if (problem.Ok() && file.end == file.length && file.length != 0) return std::string();
  return "it is no complete list of texts" +
         (problem.Ok() ? std::string() : " (" + problem.text + ")");
}

// The list files of the data folder: the new file, the old file it is made from, its reader.
struct ListFileKind {
  const char* newName;
  const char* oldName;
  WholeCheck problem;
};
const ListFileKind kListFiles[] = {
    {folders::kNewFileName, folders::kOldFileName, FoldersListProblem},
    {TvContactList::kFileName, TvContactList::kOldFileName, ContactListProblem},
    {TvFastReplysService::kFileName, TvFastReplysService::kOldFileName, TextListProblem},
    {TvAutoAnswersService::kFileName, TvAutoAnswersService::kOldFileName, TextListProblem},
};

// The old message files of a directory by the folded new name each one becomes.
std::map<std::string, std::string> OldMessagesByNewName(const std::string& directory) {
  std::map<std::string, std::string> byNewName;
  for (const std::string& name : TvDatabase::OldMessageFileNames(directory)) {
    std::string newName;
    AppendHex64(TvMessage::IdentifierFromOldName(name), newName, 1);
    byNewName.emplace(FoldCase(newName + kMessageSuffix), directory + name);
  }
  return byNewName;
}

// The verdict on a leftover whose old file (when known) is oldPath and whose format check is
// problem (null: no file this tool writes has that name).
void Judge(TvLeftover& leftover, const std::string& oldPath, WholeCheck problem) {
  if (problem == nullptr) {
    leftover.reason = "no file the conversion writes has that name";
    return;
  }
  if (!oldPath.empty() && FileExists(oldPath)) {
    leftover.oldPath = ExistingFileName(oldPath);
    leftover.verdict = TvLeftoverVerdict::kDelete;
    return;
  }
  // Whatever is already under the final name is never replaced by a leftover.
  if (FileExists(leftover.finalPath)) {
    leftover.reason = "the file " + ExistingFileName(leftover.finalPath) + " is already there";
    return;
  }
  leftover.reason = problem(leftover.tempPath);
  if (leftover.reason.empty()) leftover.verdict = TvLeftoverVerdict::kRecover;
}

}  // namespace

std::vector<TvLeftover> JudgeLeftovers(const std::string& directory, bool dataFolder) {
  const std::string suffix = TvReplacingFile::kTempSuffix;
  TvStringList names;
  ListNames(names, directory + "*" + suffix, 0);
  std::vector<TvLeftover> leftovers;
  std::map<std::string, std::string> oldMessages;
  bool oldMessagesListed = false;
  for (const std::string& name : names) {
    TvLeftover leftover;
    leftover.tempPath = directory + name;
    const std::string finalName = name.substr(0, name.size() - suffix.size());
    leftover.finalPath = directory + finalName;
    std::string oldPath;
    WholeCheck problem = nullptr;
    if (dataFolder) {
      for (const ListFileKind& kind : kListFiles) {
        if (!EqualNoCase(finalName, kind.newName)) continue;
        oldPath = directory + kind.oldName;
        problem = kind.problem;
      }
    } else if (EndsWithNoCase(finalName, kMessageSuffix) &&
               finalName.size() == kMessageIdDigits + kMessageSuffix.size() &&
               IsHexDigits(finalName.substr(0, kMessageIdDigits))) {
      if (!oldMessagesListed) {
        oldMessages = OldMessagesByNewName(directory);
        oldMessagesListed = true;
      }
      auto old = oldMessages.find(FoldCase(finalName));
      if (old != oldMessages.end()) oldPath = old->second;
      problem = MessageProblem;
    }
    Judge(leftover, oldPath, problem);
    leftovers.push_back(std::move(leftover));
  }
  return leftovers;
}

std::string LeftoverLine(const TvLeftover& leftover) {
  switch (leftover.verdict) {
    case TvLeftoverVerdict::kDelete:
      return std::string();
    case TvLeftoverVerdict::kRecover:
      return "Temporary file: " + leftover.tempPath + " , recovered as " + leftover.finalPath;
    case TvLeftoverVerdict::kKeep:
      break;
  }
  return "Temporary file: " + leftover.tempPath + " , kept, " + leftover.reason;
}

namespace {

// Flushes the leftover's contents (the run that wrote it may have lost power before its flush
// reached the disk), then moves it to its final name, never over an existing file, and makes the
// move durable. False with the system's reason in LastError() when any step fails.
bool Recover(const TvLeftover& leftover) {
  TvFile file(0, 0);
  if (!file.Open(leftover.tempPath, platform::kOpenReadWrite | platform::kOpenKeepContents) ||
      !file.Flush() || !file.Close()) {
    return false;
  }
  if (!platform::MoveFileUnflushed(leftover.tempPath, leftover.finalPath, false)) return false;
  const size_t separator = FindLastSeparator(leftover.finalPath);
  return platform::FlushDirectory(leftover.finalPath.substr(0, separator + 1));
}

std::string ErrorReason(uint32_t error) {
  std::string reason = platform::ErrorText(error);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason;
}

}  // namespace

void SettleLeftovers(const std::vector<TvLeftover>& leftovers, TvLog& log) {
  const uint32_t savedError = platform::LastError();
  for (const TvLeftover& leftover : leftovers) {
    switch (leftover.verdict) {
      case TvLeftoverVerdict::kDelete:
        platform::DeleteFile(leftover.tempPath);
        break;
      case TvLeftoverVerdict::kRecover:
        if (Recover(leftover)) {
          log.Add(LeftoverLine(leftover), kLogInfo, kLogNoCategory);
        } else {
          TvLeftover kept = leftover;
          kept.verdict = TvLeftoverVerdict::kKeep;
          kept.reason = "it cannot be moved to " + leftover.finalPath + ": " +
                        ErrorReason(platform::LastError());
          log.Add(LeftoverLine(kept), kLogError, kLogNoCategory);
        }
        break;
      case TvLeftoverVerdict::kKeep:
        log.Add(LeftoverLine(leftover), kLogError, kLogNoCategory);
        break;
    }
  }
  platform::SetLastError(savedError);
}
