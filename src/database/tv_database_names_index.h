// The names index, "Names.Index" in the user data folder: a header word, a count and that many
// 38-byte records, which the conversion carries over byte for byte without looking inside.
#pragma once

#include <cstdint>

#include "foundation/data_paths.h"
#include "foundation/lock.h"
#include "foundation/ptr_array.h"
#include "foundation/types.h"

struct NET_MESSAGE_NAME_INDEX {
  uint8_t bytes[38];
};
static_assert(sizeof(NET_MESSAGE_NAME_INDEX) == 38, "a names index record is 38 bytes");

class TvDatabaseNamesIndex {
 public:
  explicit TvDatabaseNamesIndex(const TvDataPaths& paths) : m_paths(paths) {}
  virtual ~TvDatabaseNamesIndex() = default;

  // Reads the whole file (created empty when missing). False when it cannot be opened, is 1 to 7
  // bytes long or holds fewer records than its count; the complete records are kept.
  TvBool Load();
  // Writes header word 0, the count and every record over the start of the file, without
  // shortening it, and flushes it. Writes nothing (false) when the last Load could not read what
  // the file holds (it could not be opened, or a read failed with bytes still there): writing the
  // records held then would overwrite records that were never read.
  TvBool Save();

  TvPtrAutoArray<NET_MESSAGE_NAME_INDEX*> m_records;

 private:
  const TvDataPaths& m_paths;
  TvCriticalSection m_lock;
  bool m_loadSawWholeFile = true;
};
