#include "contacts/tv_contact_list.h"

TvContactList::TvContactList(TvLog& log, const TvDataPaths& paths) : m_log(log), m_paths(paths) {}
TvContactList::~TvContactList() = default;
void TvContactList::Convert(TvBool) {}
