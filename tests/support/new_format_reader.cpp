#include "support/new_format_reader.h"

#include <algorithm>
#include <filesystem>

namespace tvtest {

NewMessage ReadNewMessage(const std::string& path) {
  NewMessage m;
  msg31::Problem problem;
  m.ok = msg31::ReadMessageFile(path, m.file, &problem);
  if (!m.ok) {
    m.problem = problem.text + " (at byte " + std::to_string(problem.offset) + ")";
    return m;
  }
  for (const msg31::AttachmentRecord& a : m.file.attachments) {
    std::string bytes;
    if (!msg31::ReadFileRange(path, a.offset, a.size, bytes)) {
      m.ok = false;
      m.problem = "attachment contents cannot be read";
      break;
    }
    m.contents.push_back(bytes);
  }
  return m;
}

NewFoldersList ReadFoldersList(const std::string& path) {
  NewFoldersList list;
  std::string bytes;
  if (!folders::ReadWholeFile(path, bytes)) {
    list.problem = "cannot be read";
    return list;
  }
  list.ok = folders::DecodeFoldersFile(bytes, list.file, &list.problem);
  return list;
}

std::vector<std::string> FilesIn(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tvtest
