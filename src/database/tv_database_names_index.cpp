#include "database/tv_database_names_index.h"

#include <cstring>

#include "database/folders_format.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/system_error.h"

namespace {

// The index is rewritten in place, so a copy under another letter case is the one read and
// written.
std::string NamesIndexPath(const TvDataPaths& paths) {
  std::string path = paths.UserDataFolder();
  AppendBackslash(path);
  return ExistingFileName(path + folders::kNamesIndexFileName);
}

}  // namespace

TvBool TvDatabaseNamesIndex::Load() {
  TvLockGuard guard("TvDatabaseNamesIndex::Load", m_lock);
  m_records.DeleteAll();
  m_loadSawWholeFile = false;
  TvFile file(0, 1);
  if (!file.Open(NamesIndexPath(m_paths), kModeReadOpenOrCreate)) return 0;
  // GetLength gives 0 both for an empty file and after a failed query (already reported); only
  // the first is an empty index.
  const uint32_t savedError = platform::LastError();
  platform::SetLastError(0);
  const uint64_t length = file.GetLength();
  if (length == 0 && platform::LastError() != 0) return 0;
  platform::SetLastError(savedError);
  TvFileSource source(file, length);
  uint32_t headerWord = 0;
  uint32_t count = 0;
  const folders::Problem problem =
      folders::ReadNamesIndex(source, headerWord, count, [this](const uint8_t* bytes) {
        auto* record = new NET_MESSAGE_NAME_INDEX;
        std::memcpy(record->bytes, bytes, sizeof(record->bytes));
        m_records.Add(record);
      });
  switch (problem.kind) {
    case folders::ProblemKind::kHeaderCut:
      // A header that cannot be read from a file long enough to hold it is a disk error.
      m_loadSawWholeFile = length < 8;
      return 0;
    case folders::ProblemKind::kRecordCut: {
      // A read that fails short of the end is an error of the disk, not the end of the records.
      uint64_t position = 0;
      m_loadSawWholeFile = file.GetPosition(&position) && position >= length;
      return 0;
    }
    case folders::ProblemKind::kNone:
    case folders::ProblemKind::kBytesAfterEnd:
      break;
  }
  m_loadSawWholeFile = true;
  return 1;
}

TvBool TvDatabaseNamesIndex::Save() {
  TvLockGuard guard("TvDatabaseNamesIndex::Save", m_lock);
  if (!m_loadSawWholeFile) return 0;
  TvFile file(0, 1);
  if (!file.Open(NamesIndexPath(m_paths), kModeReadWriteOpenOrCreate)) return 0;
  if (!file.WriteUInt32(0) || !file.WriteUInt32(m_records.GetSize())) return 0;
  for (uint32_t i = 0; i < m_records.GetSize(); ++i) {
    if (!file.Write(m_records[i]->bytes, sizeof(m_records[i]->bytes))) return 0;
  }
  // On stable storage before the old folders file may go.
  return file.Flush();
}
