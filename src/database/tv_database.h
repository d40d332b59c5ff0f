// Placeholder: the message database. Replaced by the full declaration with the same operations.
#pragma once

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"

class TvDatabase {
 public:
  TvDatabase(TvLog& log, const TvDataPaths& paths);
  virtual ~TvDatabase();
  TvBool CreateStandardFolders();
  int32_t ConvertDatabase(TvBool deleteOld);

 private:
  TvLog& m_log;
  const TvDataPaths& m_paths;
};
