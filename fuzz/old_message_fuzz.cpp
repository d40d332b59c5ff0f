// A 3.0 message file of any content, read with its attachment entries and staged: no crash, no
// undefined behaviour, no allocation beyond the file, the file itself untouched, and every staged
// file inside the staging folder.
#include <cstring>
#include <filesystem>

#include "database/tv_database.h"
#include "fuzz/fuzz_common.h"
#include "messages/tv_message.h"
#include "platform/file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  const std::string path = scratch.Paths().StandardFolderDirectory(FOLDER_INBOX) + platform::kPathSeparator +
                           "0A1B2C3D4E5F60718293A4B5C6D7E8F9.Message";
  std::filesystem::create_directories(scratch.Paths().StandardFolderDirectory(FOLDER_INBOX));
  tvfuzz::WriteFile(path, data, size);
  TvDatabase database(scratch.Log(), scratch.Paths());
  database.CreateStandardFolders();
  TvMessage message(scratch.Log(), database);
  message.SetStagingFolder(scratch.Staging());
  if (message.LoadOld(path)) {
    for (uint32_t i = 0; i < message.Attachments().GetSize(); ++i) {
      const std::string& staged = message.Attachments()[i]->m_csText;
      if (staged.compare(0, scratch.Staging().size(), scratch.Staging()) != 0 ||
          staged.find_first_of("/\\", scratch.Staging().size()) != std::string::npos) {
        tvfuzz::Fail("staged outside the staging folder: " + staged);
      }
    }
  }
  if (tvfuzz::ReadFile(path) != std::string(reinterpret_cast<const char*>(data), size)) {
    tvfuzz::Fail("the old message file changed");
  }
  return 0;
}
