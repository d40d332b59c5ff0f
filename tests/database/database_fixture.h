// A database on a 3.0 data folder in a scratch folder, its log there too, attachments staged in
// the scratch folder's "staging".
#pragma once

#include <string>
#include <vector>

#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"

namespace tvtest {

class DatabaseTest : public ScratchTest {
 protected:
  DatabaseTest();

  std::vector<std::string> LogEntries() const;
  // data folder + relative path (a name, or "Inbox" + separator + name, ...).
  std::string DataFile(const std::string& relative) const { return data.Path() + relative; }
  std::string Dir(const std::string& folder) const;  // ends in a separator
  std::string Bytes(const std::string& relative) const;
  // True when the log holds exactly this entry ("Info: ...").
  bool Logged(const std::string& entry) const;
  // The standard folders, then the whole conversion.
  int32_t Convert(TvBool deleteOld);
  // The whole conversion by a fresh database on the same folders and log, as a later run does.
  void ConvertInNewRun(TvBool deleteOld);

  OldDataFolder data;
  TvFixedDataPaths paths;
  TvLog log;
  TvDatabase db;
};

// The 8-byte header of a folders file or names index (header word, count), little-endian.
std::string ListHeader(uint32_t word, uint32_t count);
// Folder records as the database writes them, in the hand-made encoding: the version, type code
// 0, data word 0, the name, an empty second text, status 0, the flags and the id.
std::string FolderRecordBytes(const std::string& name, uint32_t flags, int32_t id);

}  // namespace tvtest
