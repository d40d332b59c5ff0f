#include "database/tv_database_names_index.h"

#include "database/folders_format.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"

namespace {

std::string NamesIndexPath(const TvDataPaths& paths) {
  std::string path = paths.UserDataFolder();
  AppendBackslash(path);
  return path + folders::kNamesIndexFileName;
}

}  // namespace

TvBool TvDatabaseNamesIndex::Load() {
  TvLockGuard guard("TvDatabaseNamesIndex::Load", m_lock);
  m_records.DeleteAll();
  TvFile file(0, 1);
  if (!file.Open(NamesIndexPath(m_paths), kModeReadOpenOrCreate)) return 0;
  if (file.GetLength() == 0) return 1;
  uint32_t headerWord = 0;
  uint32_t count = 0;
  if (!file.ReadUInt32(headerWord) || !file.ReadUInt32(count)) return 0;
  for (uint32_t i = 0; i < count; ++i) {
    auto* record = new NET_MESSAGE_NAME_INDEX;
    if (!file.Read(record->bytes, sizeof(record->bytes))) {
      delete record;
      return 0;
    }
    m_records.Add(record);
  }
  return 1;
}

TvBool TvDatabaseNamesIndex::Save() {
  TvLockGuard guard("TvDatabaseNamesIndex::Save", m_lock);
  TvFile file(0, 1);
  if (!file.Open(NamesIndexPath(m_paths), kModeReadWriteOpenOrCreate)) return 0;
  if (!file.WriteUInt32(0) || !file.WriteUInt32(m_records.GetSize())) return 0;
  for (uint32_t i = 0; i < m_records.GetSize(); ++i) {
    if (!file.Write(m_records[i]->bytes, sizeof(m_records[i]->bytes))) return 0;
  }
  return 1;
}
