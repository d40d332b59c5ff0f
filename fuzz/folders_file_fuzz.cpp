// "Database.Folders" of any content: read by the format's reader, and into the folder list and
// written as "Folders.List". No crash; the reader stops inside the input; every folder kept has a
// usable directory inside the data folder or none at all.
#include "database/folders_format.h"
#include "database/tv_database.h"
#include "foundation/utilities.h"
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BufferSource source(data, size);
  folders::FoldersFile file;
  const folders::Problem problem = folders::ReadFoldersFile(source, file);
  if (problem.offset > size) tvfuzz::Fail("problem offset past the end of the input");

  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  tvfuzz::WriteFile(scratch.Data() + "Database.Folders", data, size);
  TvDatabase database(scratch.Log(), scratch.Paths());
  database.CreateStandardFolders();
  database.ApplyFoldersPlan(database.PlanFoldersList(), 0);
  for (uint32_t i = 0; i < database.Folders().GetSize(); ++i) {
    std::string directory;
    database.FolderDirectory(directory, database.Folders()[i]->m_id);
    if (!directory.empty() && directory.compare(0, scratch.Data().size(), scratch.Data()) != 0) {
      tvfuzz::Fail("folder directory outside the data folder: " + directory);
    }
  }
  return 0;
}
