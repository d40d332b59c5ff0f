// Reading 3.0 message files the way the conversion does, without touching the data folder.
//
// OldMessageLoader runs the conversion's own TvMessage::LoadOld on a file, staging attachments in
// a private scratch folder, so that its verdict, and the problem it names
// (Message().LoadProblem()), are exactly the converter's.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "messages/tv_message.h"
#include "platform/recording_ui.h"

namespace zvtool {

// The new file name an old one maps to: 16 hexadecimal digits and ".Message".
std::string NewMessageFileName(const std::string& oldFileName);
// Bytes of the 3.1 file Save writes for a loaded message.
uint64_t NewMessageSize(TvMessage& message);

class OldMessageLoader {
 public:
  // scratch: a private folder (ending in a separator) for staged attachments and log lines.
  explicit OldMessageLoader(const std::string& scratch);

  // TvMessage::LoadOld on path. Texts of any file error it reported go to *messages.
  bool Load(const std::string& path, std::string* messages);
  TvMessage& Message() { return m_message; }
  // Whether converting the old file at oldPath writes exactly the bytes of the 3.1 file at
  // existing: the conversion replaces a 3.1 file already there only then. The new bytes are
  // written in the scratch folder and removed again.
  bool WritesSameAs(const std::string& oldPath, const std::string& existing);

 private:
  // Messages have no folder here; a message is saved only where WritesSameAs puts it.
  class NoFolders : public TvFolderLookup {
   public:
    int32_t FolderIdByFilePath(const std::string&) override { return FOLDER_NONE; }
    void MessageFilePath(std::string& out, uint64_t, int32_t) override { out = target; }
    std::string target;
  };
  std::string m_scratch;
  uint64_t m_rewrites = 0;

  TvFixedDataPaths m_paths;
  TvLog m_log;
  NoFolders m_folders;
  TvMessage m_message;
};

}  // namespace zvtool
