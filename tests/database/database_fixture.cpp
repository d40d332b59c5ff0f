#include "database/database_fixture.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/system_info.h"
#include "support/conversion_log_reader.h"

namespace tvtest {

namespace {

std::string Le32(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

}  // namespace

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

std::string DatabaseTest::Dir(const std::string& folder) const {
  return data.Path() + folder + platform::kPathSeparator;
}

std::string DatabaseTest::Bytes(const std::string& relative) const {
  return ReadWholeFile(data.Path() + relative);
}

bool DatabaseTest::Logged(const std::string& entry) const {
  const std::vector<std::string> entries = LogEntries();
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

int32_t DatabaseTest::Convert(TvBool deleteOld) {
  db.CreateStandardFolders();
  return db.ConvertDatabase(deleteOld);
}

void DatabaseTest::ConvertInNewRun(TvBool deleteOld) {
  TvDatabase rerun(log, paths);
  rerun.SetStagingFolder(scratch.Path() + "staging");
  rerun.CreateStandardFolders();
  rerun.ConvertDatabase(deleteOld);
}

std::string ListHeader(uint32_t word, uint32_t count) { return Le32(word) + Le32(count); }

std::string FolderRecordBytes(const std::string& name, uint32_t flags, int32_t id) {
  return Le32(platform::PackedVersion()) + Le32(0) + Le32(0) +
         Le32(static_cast<uint32_t>(name.size())) + name + Le32(0) + Le32(0) + Le32(flags) +
         Le32(static_cast<uint32_t>(id));
}

}  // namespace tvtest
