#include "app/backup_restore.h"

#include "foundation/utilities.h"
#include "platform/shell.h"

std::string BuildBackupCommand(const std::string& dataFolder, const std::string& chosenFolder) {
  return "xcopy \"" + dataFolder + "*.*\" \"" + chosenFolder + "Zorvane BackUp\\\" /E";
}

std::string BuildRestoreCommand(const std::string& chosenFolder, const std::string& dataFolder) {
  return "xcopy \"" + chosenFolder + "*.*\" \"" + dataFolder + "\" /E";
}

std::string BackupFolder(const std::string& chosenFolder) { return chosenFolder + "Zorvane BackUp"; }

void TvFolderCopier::Copy(const std::string& commandLine, const std::string& source,
                          const std::string& target) {
#ifdef _WIN32
  (void)source;
  (void)target;
  // Shows the system's text when the command cannot be started; its exit code is not examined.
  RunAndWait(commandLine);
#else
  (void)commandLine;
  platform::CopyFolderTree(source, target);
#endif
}

TvFolderCopier& SystemFolderCopier() {
  static TvFolderCopier copier;
  return copier;
}
