// One message folder: a name (m_csName), flags, an id, and the folder's message index (empty
// during a conversion, which never carries the per-folder index over).
#pragma once

#include <cstdint>

#include "foundation/ptr_array.h"
#include "foundation/tv_object.h"
#include "messages/tv_folder_lookup.h"

// Element of a folder's message index. The conversion never makes one.
class TvMessageIndex {
 public:
  virtual ~TvMessageIndex() = default;
};

class TvFolder : public TvObject, public TvPtrAutoArray<TvMessageIndex*> {
 public:
  explicit TvFolder(int32_t id = FOLDER_NONE) : m_id(id) {}
  ~TvFolder() override = default;

  // The folder's id for ids up to 5 (signed), 5 otherwise.
  uint32_t GetImage() override { return static_cast<uint32_t>(m_id <= 5 ? m_id : 5); }

  uint32_t m_dwordUnused1 = 0;
  uint32_t m_dwordUnused2 = 0;
  uint32_t m_flags = 0;
  uint32_t m_dwordUnused3 = 0;
  uint32_t m_dwordUnused4 = 0;
  int32_t m_id;
};
