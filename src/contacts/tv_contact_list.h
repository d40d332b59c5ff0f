// Placeholder: the contact list. Replaced by the full declaration with the same operations.
#pragma once

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"

class TvContactList {
 public:
  TvContactList(TvLog& log, const TvDataPaths& paths);
  virtual ~TvContactList();
  void Convert(TvBool deleteOld);

 private:
  TvLog& m_log;
  const TvDataPaths& m_paths;
};
