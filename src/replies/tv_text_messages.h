// Placeholder: the canned-reply stores. Replaced by the full declarations with the same operations.
#pragma once

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"

class TvFastReplysService {
 public:
  TvFastReplysService(TvLog& log, const TvDataPaths& paths);
  virtual ~TvFastReplysService();
  void Convert(TvBool deleteOld);

 private:
  TvLog& m_log;
  const TvDataPaths& m_paths;
};

class TvAutoAnswersService {
 public:
  TvAutoAnswersService(TvLog& log, const TvDataPaths& paths);
  virtual ~TvAutoAnswersService();
  void Convert(TvBool deleteOld);

 private:
  TvLog& m_log;
  const TvDataPaths& m_paths;
};
