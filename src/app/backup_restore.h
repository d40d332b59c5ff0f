// Copies of the whole user data folder: the backup into "<chosen folder>Zorvane BackUp", and the
// restore of a chosen folder back over the data folder. Windows runs the system's copy command
// with the command lines below; POSIX copies the same folders itself, never through a shell.
#pragma once

#include <string>

// "xcopy "<data>*.*" "<chosen>Zorvane BackUp\" /E"; both folders end in a separator.
std::string BuildBackupCommand(const std::string& dataFolder, const std::string& chosenFolder);
// "xcopy "<chosen>*.*" "<data>" /E"; both folders end in a separator.
std::string BuildRestoreCommand(const std::string& chosenFolder, const std::string& dataFolder);
// Where a backup lands: the chosen folder (ending in a separator) + "Zorvane BackUp".
std::string BackupFolder(const std::string& chosenFolder);

// True when folder (ending in a separator) holds any of the messenger's files: a list file of
// either version, the names index, or a message file in one of the standard message folders.
// Restore copies nothing from a folder without them.
bool HoldsMessengerData(const std::string& folder);

// Runs one copy. The system's own runs the command line (Windows) or copies source into target
// (POSIX).
class TvFolderCopier {
 public:
  virtual ~TvFolderCopier() = default;
  // True only when the whole copy succeeded: the copy command started and ended with exit status
  // 0 (Windows), or every file and folder was copied (POSIX). Otherwise *reason says why.
  virtual bool Copy(const std::string& commandLine, const std::string& source,
                    const std::string& target, std::string* reason);
};

TvFolderCopier& SystemFolderCopier();
