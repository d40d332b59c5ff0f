#include "foundation/small_file_source.h"

#include <algorithm>

#include "foundation/tv_file.h"

namespace {

// Files larger than this are read as far as this with the one call, the rest where it is asked.
constexpr uint64_t kHeldLimit = uint64_t{64} << 20;

}  // namespace

// One byte more than the file holds, so the read that comes up short tells the length and no
// second query is made.
SmallFileSource::SmallFileSource(TvFile& file, uint64_t length)
    : m_buffer(static_cast<size_t>(std::min(length + 1, kHeldLimit))),
      m_limit(static_cast<uint32_t>(m_buffer.size())),
      m_source(file, m_buffer.data()) {}

bool SmallFileSource::Read() {
  // An empty file has nothing to read: a read past its end still goes to the file.
  if (m_limit == 1) return true;
  return m_source.Prefetch(m_limit) != 0;
}
