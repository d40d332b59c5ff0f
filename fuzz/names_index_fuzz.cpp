// "Names.Index" of any content: read by the format's reader, loaded and saved back. No crash; the
// reader stops inside the input; a file that loads completely is written back with the same
// records.
#include <string>

#include "database/folders_format.h"
#include "database/tv_database_names_index.h"
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BufferSource source(data, size);
  folders::NamesIndexFile file;
  const folders::Problem problem = folders::ReadNamesIndex(source, file);
  if (problem.offset > size) tvfuzz::Fail("problem offset past the end of the input");

  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  const std::string path = scratch.Data() + "Names.Index";
  tvfuzz::WriteFile(path, data, size);
  TvDatabaseNamesIndex index(scratch.Paths());
  const bool loaded = index.Load() != 0;
  const uint32_t records = index.m_records.GetSize();
  if (uint64_t{records} * 38 + 8 > size + 8) tvfuzz::Fail("more records than the file holds");
  index.Save();
  if (loaded && size >= 8) {
    std::string after = tvfuzz::ReadFile(path);
    std::string before(reinterpret_cast<const char*>(data), size);
    // Header word 0, the same count, the same record bytes.
    if (after.size() != before.size() || after.compare(4, after.size() - 4, before, 4) != 0 ||
        after.compare(0, 4, std::string(4, '\0')) != 0) {
      tvfuzz::Fail("records not written back unchanged");
    }
  }
  return 0;
}
