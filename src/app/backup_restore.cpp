#include "app/backup_restore.h"

#include <vector>

#include "foundation/tv_error.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/shell.h"

std::string BuildBackupCommand(const std::string& dataFolder, const std::string& chosenFolder) {
  return "xcopy \"" + dataFolder + "*.*\" \"" + chosenFolder + "Zorvane BackUp\\\" /E";
}

std::string BuildRestoreCommand(const std::string& chosenFolder, const std::string& dataFolder) {
  return "xcopy \"" + chosenFolder + "*.*\" \"" + dataFolder + "\" /E";
}

std::string BackupFolder(const std::string& chosenFolder) {
  return chosenFolder + "Zorvane BackUp";
}

namespace {

// A plain file matching pattern (searched without regard to case).
bool HoldsFile(const std::string& pattern) {
  std::vector<platform::DirEntry> entries;
  if (!platform::FindEntries(pattern, &entries)) return false;
  for (const platform::DirEntry& entry : entries) {
    if (!entry.isDirectory) return true;
  }
  return false;
}

}  // namespace

bool HoldsMessengerData(const std::string& folder) {
  static const char* const kListFiles[] = {
      "Database.Folders",  "Folders.List",      "Names.Index",
      "ContactList.Users", "Contacts.List",     "FastReplys.Array",
      "FastReplys.List",   "AutoAnswers.Array", "AutoAnswers.List",
  };
  static const char* const kMessageFolders[] = {"Inbox", "Outbox", "Deleted", "Sent", "Drafts"};
  for (const char* name : kListFiles) {
    if (HoldsFile(folder + name)) return true;
  }
  for (const char* name : kMessageFolders) {
    if (HoldsFile(folder + name + platform::kPathSeparator + "*.Message")) return true;
  }
  return false;
}

bool TvFolderCopier::Copy(const std::string& commandLine, const std::string& source,
                          const std::string& target, std::string* reason) {
#ifdef _WIN32
  (void)source;
  (void)target;
  uint32_t exitCode = 0;
  if (!platform::RunProcessAndWait(commandLine, &exitCode)) {
    *reason = LastErrorReason();
    return false;
  }
  // The copy command tells by its exit status whether it copied everything.
  if (exitCode == 0) return true;
  *reason = "the copy command ended with exit status " + std::to_string(exitCode);
  return false;
#else
  (void)commandLine;
  if (platform::CopyFolderTree(source, target)) return true;
  *reason = LastErrorReason();
  return false;
#endif
}

TvFolderCopier& SystemFolderCopier() {
  static TvFolderCopier copier;
  return copier;
}
