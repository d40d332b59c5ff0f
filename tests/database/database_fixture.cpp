#include "database/database_fixture.h"

#include "platform/file_system.h"
#include "platform/system_info.h"
#include "support/conversion_log_reader.h"

namespace tvtest {

DatabaseTest::DatabaseTest()
    : data(scratch.Path() + "data" + platform::kPathSeparator),
      paths(data.Path()),
      log(paths),
      db(log, paths) {
  db.SetStagingFolder(scratch.Path() + "staging");
}

std::vector<std::string> DatabaseTest::LogEntries() const {
  return ConversionLogEntries(data.Path() + TvLog::kFileName);
}

bool DatabaseTest::LogExists() const { return PathExists(data.Path() + TvLog::kFileName); }

std::string DatabaseTest::Dir(const std::string& folder) const {
  return data.Path() + folder + platform::kPathSeparator;
}

std::string DatabaseTest::Bytes(const std::string& relative) const {
  return ReadWholeFile(data.Path() + relative);
}

std::string FolderRecordBytes(const std::string& name, uint32_t flags, int32_t id) {
  std::string out;
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  u32(platform::PackedVersion());
  u32(0);  // type code
  u32(0);  // data word
  u32(static_cast<uint32_t>(name.size()));
  out += name;
  u32(0);  // empty second text
  u32(0);  // status
  u32(flags);
  u32(static_cast<uint32_t>(id));
  return out;
}

}  // namespace tvtest
