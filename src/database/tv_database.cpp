#include "database/tv_database.h"

TvDatabase::TvDatabase(TvLog& log, const TvDataPaths& paths) : m_log(log), m_paths(paths) {}
TvDatabase::~TvDatabase() = default;
TvBool TvDatabase::CreateStandardFolders() { return 1; }
int32_t TvDatabase::ConvertDatabase(TvBool) { return 0; }
