// The attachment staging rule: a stored name that is a plain name of the staging folder is used
// as it is, any other name gets a fallback name. The staged name is always one plain name within
// the length limit, and staging it again changes nothing.
#include <string>

#include "fuzz/fuzz_common.h"
#include "messages/plain_names.h"

namespace {

constexpr uint32_t kRoom = 200;

std::string Stage(const std::string& stored, uint32_t index) {
  if (IsPlainName(stored) && stored.size() <= kRoom) return stored;
  return FallbackAttachmentName(stored, index, kRoom - 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t index = data[0];
  const std::string stored(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string staged = Stage(stored, index);
  if (!IsPlainName(staged)) tvfuzz::Fail("staged name is not a plain name: " + staged);
  if (staged.size() > kRoom) tvfuzz::Fail("staged name too long");
  if (Stage(staged, index) != staged) tvfuzz::Fail("staging a staged name changed it: " + staged);
  if (IsPlainName(stored) && stored.size() <= kRoom && staged != stored) {
    tvfuzz::Fail("a plain name was renamed");
  }
  return 0;
}
