// A 3.0 message file of any content, read with its attachment entries and staged: no crash, no
// undefined behaviour, no allocation beyond the file, the file itself untouched, and every staged
// file inside the staging folder. The layout reader over the same bytes in memory names a problem
// within the input, or finds every entry's contents inside it; LoadOld succeeds exactly when it
// finds no problem, and fails for the same one.
#include <cstring>
#include <filesystem>

#include "database/tv_database.h"
#include "foundation/byte_source.h"
#include "fuzz/fuzz_common.h"
#include "messages/old_message_format.h"
#include "messages/tv_message.h"
#include "platform/file_system.h"

namespace {

void CheckLayout(const msg30::Layout& layout, const msg30::Problem& problem) {
  if (problem.offset > layout.length) tvfuzz::Fail("a problem offset past the end of the input");
  if (!problem.Ok()) return;
  if (layout.attachments.size() != layout.header.attachmentCount || !layout.entriesRead) {
    tvfuzz::Fail("no problem, but not every attachment entry was read");
  }
  for (const msg30::AttachmentEntry& entry : layout.attachments) {
    if (entry.contentOffset > layout.length || entry.size > layout.length - entry.contentOffset) {
      tvfuzz::Fail("no problem, but an attachment's contents run past the end");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BufferSource bytes(data, size);
  msg30::Layout layout;
  const msg30::Problem problem = msg30::ReadLayout(bytes, layout);
  CheckLayout(layout, problem);

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
  const bool loaded = message.LoadOld(path) != 0;
  if (loaded != problem.Ok()) tvfuzz::Fail("LoadOld and the layout reader disagree");
  TvMessage reader(scratch.Log(), database);
  if ((reader.ReadOld(path) != 0) != loaded) tvfuzz::Fail("ReadOld and LoadOld disagree");
  if (!loaded && (message.LoadProblem().kind != problem.kind ||
                  message.LoadProblem().offset != problem.offset)) {
    tvfuzz::Fail("LoadOld fails for another reason than the layout reader names");
  }
  if (loaded) {
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
