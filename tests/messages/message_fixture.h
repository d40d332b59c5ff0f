// A message converter on a scratch folder: old files in "Inbox", new files written there too,
// attachments staged in "staging", the log in the scratch folder.
#pragma once

#include <string>
#include <vector>

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/utilities.h"
#include "messages/tv_message.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"

namespace tvtest {

// Every file belongs to folder 0, whose directory is fixed.
class FixedFolderLookup : public TvFolderLookup {
 public:
  explicit FixedFolderLookup(std::string directory) : m_directory(std::move(directory)) {}
  int32_t FolderIdByFilePath(const std::string& /*path*/) override { return FOLDER_INBOX; }
  void MessageFilePath(std::string& out, uint64_t messageId, int32_t /*folderId*/) override {
    out = m_directory;
    AppendHex64(messageId, out, 0);
    out += ".Message";
  }
  std::string m_directory;
};

class MessageTest : public ScratchTest {
 protected:
  MessageTest();

  // Writes the old file into the folder and returns its path.
  std::string WriteOld(const OldMessage& message);
  // LoadOld then Save; the new file's path, or "" when either failed.
  std::string Convert(const std::string& oldPath);
  std::string NewPath(const OldMessage& message) const;
  std::vector<std::string> LogEntries() const;

  TvFixedDataPaths paths;
  TvLog log;
  std::string inbox;    // ends in a separator
  std::string staging;  // ends in a separator
  FixedFolderLookup folders;
  TvMessage message;
};

// A message with every part: kind 3 recipients, body, texts, values and two attachments.
OldMessage FullMessage();

}  // namespace tvtest
