// Readers of the 3.1 files the database writes, for tests: a message file with its attachment
// contents, "Folders.List" and "Names.Index". Each says what is wrong when a file breaks a rule.
#pragma once

#include <string>
#include <vector>

#include "database/folders_format.h"
#include "messages/message_format.h"

namespace tvtest {

struct NewMessage {
  bool ok = false;
  std::string problem;
  msg31::MessageFile file;
  std::vector<std::string> contents;  // each attachment's contents
};
NewMessage ReadNewMessage(const std::string& path);

struct NewFoldersList {
  bool ok = false;
  std::string problem;
  folders::FoldersFile file;
};
NewFoldersList ReadFoldersList(const std::string& path);

// Names of the plain files in a directory, sorted.
std::vector<std::string> FilesIn(const std::string& directory);

}  // namespace tvtest
