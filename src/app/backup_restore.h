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

// Runs one copy. The system's own runs the command line (Windows) or copies source into target
// (POSIX); nothing is reported about what the copy achieved.
class TvFolderCopier {
 public:
  virtual ~TvFolderCopier() = default;
  virtual void Copy(const std::string& commandLine, const std::string& source,
                    const std::string& target);
};

TvFolderCopier& SystemFolderCopier();
