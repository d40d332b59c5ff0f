#include "foundation/existing_list.h"

#include "foundation/replacing_file.h"
#include "foundation/utilities.h"

TvBool TvMemoryFile::Write(const void* buffer, uint32_t count) {
  m_bytes.append(static_cast<const char*>(buffer), count);
  return 1;
}

namespace {

// The whole file; false (shown) when it cannot be read.
bool ReadWholeList(const std::string& path, std::string& bytes) {
  TvFile file(0, 1);
  if (!file.Open(path, kModeReadShared)) return false;
  const uint64_t length = file.GetLength();
  if (length > 0x7FFFFFFF) return false;
  bytes.resize(length);
  return file.Read(bytes.data(), static_cast<uint32_t>(length)) != 0;
}

}  // namespace

TvExistingList JudgeExistingList(const std::string& path, const std::string& newBytes,
                                 const TvListReader& read) {
  if (!FileExists(path)) return TvExistingList::kAbsent;
  std::string bytes;
  if (!ReadWholeList(path, bytes)) return TvExistingList::kUnreadable;
  if (bytes == newBytes) return TvExistingList::kSame;
  const TvListContent content = read(bytes);
  if (!content.readsAsFormat) return TvExistingList::kNotAList;
  return content.holdsSomething ? TvExistingList::kDiffers : TvExistingList::kHoldsNothing;
}

std::string KeptListLine(const char* label, const std::string& oldPath, const std::string& newPath,
                         TvExistingList found) {
  const char* why = found == TvExistingList::kUnreadable ? "cannot be read" : "differs";
  return std::string(label) + ": " + oldPath + " , NOT converted, " + newPath +
         " already exists and " + why + ", it may hold changes made in 3.1";
}

TvBool WriteListFile(const std::string& path, const std::string& bytes) {
  TvReplacingFile file(1);
  if (!file.Open(path, kModeReadWriteCreate)) return 0;
  if (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()))) return 0;
  return file.Commit();
}
