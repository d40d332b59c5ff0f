#include "replies/tv_text_messages.h"

TvFastReplysService::TvFastReplysService(TvLog& log, const TvDataPaths& paths)
    : m_log(log), m_paths(paths) {}
TvFastReplysService::~TvFastReplysService() = default;
void TvFastReplysService::Convert(TvBool) {}

TvAutoAnswersService::TvAutoAnswersService(TvLog& log, const TvDataPaths& paths)
    : m_log(log), m_paths(paths) {}
TvAutoAnswersService::~TvAutoAnswersService() = default;
void TvAutoAnswersService::Convert(TvBool) {}
