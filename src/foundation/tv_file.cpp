#include "foundation/tv_file.h"

#include <memory>

#include "foundation/coding.h"
#include "foundation/tv_error.h"
#include "platform/system_error.h"

namespace {

// Open mode of GetFileSizeByName: read, others may read and write, existing file only, not
// inherited.
constexpr uint32_t kModeSizeQuery =
    platform::kOpenRead | platform::kOpenShareReadWrite | platform::kOpenNoInherit;

constexpr uint32_t kCopyChunk = 0x800000;

}  // namespace

TvFile::TvFile(TvBool throwOnError, TvBool showErrors)
    : m_boolOpen(1), m_boolThrow(throwOnError), m_boolShowErrors(showErrors) {}

TvFile::~TvFile() {
  // Close is virtual, but a destructor reaches only this class's own: derived classes close
  // their files in their own destructors.
  if (IsOpen() && m_boolOpen) TvFile::Close();
}

void TvFile::ReportError(ErrorExceptions kind) {
  TvFileError error(m_csFileName.c_str(), m_boolShowErrors);
  if (m_boolThrow) throw kind;  // the error's destructor still restores the last error
}

TvBool TvFile::Open(const std::string& name, uint32_t mode) {
  if (IsOpen() && m_boolOpen) Close();
  m_hFile = platform::kInvalidFile;
  m_csFileName = name;
  platform::FileHandle handle = platform::OpenFile(name, mode);
  if (handle == platform::kInvalidFile) {
    ReportError(ErrorOpen);
    return 0;
  }
  m_hFile = handle;
  m_boolOpen = 1;
  return 1;
}

TvBool TvFile::OpenMakingRoom(const std::string& name, uint32_t mode, const MakeRoom& makeRoom) {
  if (!makeRoom) return Open(name, mode);
  const TvBool show = m_boolShowErrors;
  const TvBool raise = m_boolThrow;
  m_boolShowErrors = 0;
  m_boolThrow = 0;
  const TvBool opened = Open(name, mode);
  m_boolShowErrors = show;
  m_boolThrow = raise;
  if (opened) return 1;
  const uint32_t error = platform::LastError();
  if (platform::IsHandleShortage(error) && makeRoom()) return Open(name, mode);
  platform::SetLastError(error);
  ReportError(ErrorOpen);
  return 0;
}

void TvFile::BufferWrites(uint32_t capacity) { m_writeCapacity = capacity; }

TvBool TvFile::SettleWrites() {
  if (m_writeBuffer.empty()) return 1;
  uint32_t count = static_cast<uint32_t>(m_writeBuffer.size());
  uint32_t done = 0;
  bool ok = platform::WriteFile(m_hFile, m_writeBuffer.data(), count, &done) && done == count;
  m_writeBuffer.clear();
  if (ok) return 1;
  ReportError(ErrorWrite);
  return 0;
}

TvBool TvFile::Read(void* buffer, uint32_t count) {
  if (!SettleWrites()) return 0;
  if (count == 0) return 1;
  uint32_t done = 0;
  if (platform::ReadFile(m_hFile, buffer, count, &done)) {
    if (done == count) return 1;
    // The system read succeeded but ended at the end of the file: that is the reason to report,
    // not whatever earlier call last set the error value.
    platform::SetLastError(platform::ErrorCode(platform::SysError::kHandleEof));
  }
  ReportError(ErrorRead);
  return 0;
}

TvBool TvFile::ReadUpTo(void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (!SettleWrites()) return 0;
  if (count == 0) return 1;
  if (platform::ReadFile(m_hFile, buffer, count, done)) return 1;
  ReportError(ErrorRead);
  return 0;
}

TvBool TvFile::Write(const void* buffer, uint32_t count) {
  if (count == 0) return 1;
  if (count < m_writeCapacity) {
    if (m_writeBuffer.size() + count > m_writeCapacity && !SettleWrites()) return 0;
    m_writeBuffer.append(static_cast<const char*>(buffer), count);
    return 1;
  }
  if (!SettleWrites()) return 0;
  uint32_t done = 0;
  if (platform::WriteFile(m_hFile, buffer, count, &done) && done == count) return 1;
  ReportError(ErrorWrite);
  return 0;
}

TvBool TvFile::Close() {
  if (!IsOpen()) return 1;
  bool settled = SettleWrites() != 0;
  bool closed = platform::CloseFile(m_hFile);
  m_hFile = platform::kInvalidFile;
  m_boolOpen = 0;
  std::string name;
  name.swap(m_csFileName);
  if (!settled) return 0;
  if (closed) return 1;
  TvFileError error(name.c_str(), m_boolShowErrors);
  if (m_boolThrow) throw ErrorClose;
  return 0;
}

TvBool TvFile::ReadString(std::string& text) {
  text.clear();
  uint32_t length = 0;
  if (!ReadUInt32(length)) return 0;  // settles gathered writes first
  if (length == 0) return 1;

  // The declared length is trusted only as far as the file reaches: a longer one becomes the
  // short read it would be, consuming what is left, without allocating the declared size.
  uint64_t position = 0;
  uint64_t size = 0;
  if (!platform::SeekFile(m_hFile, 0, platform::kFromCurrent, &position) ||
      !platform::FileSize(m_hFile, &size)) {
    ReportError(ErrorRead);
    return 0;
  }
  uint64_t remaining = size > position ? size - position : 0;
  if (length > remaining) {
    text.resize(static_cast<size_t>(remaining));
    uint32_t done = 0;
    if (remaining != 0)
      platform::ReadFile(m_hFile, text.data(), static_cast<uint32_t>(remaining), &done);
    text.resize(done);
    platform::SetLastError(platform::ErrorCode(platform::SysError::kHandleEof));
    ReportError(ErrorRead);
    return 0;
  }
  text.resize(length);
  return Read(text.data(), length);
}

TvBool TvFile::WriteString(const std::string& text) {
  uint32_t length = static_cast<uint32_t>(text.size());
  if (!WriteUInt32(length)) return 0;
  if (length == 0) return 1;
  return Write(text.data(), length);
}

TvBool TvFile::ReadUInt32(uint32_t& value) {
  uint8_t bytes[4];
  if (!Read(bytes, 4)) return 0;
  value = DecodeFixed32(bytes);
  return 1;
}

TvBool TvFile::ReadUInt64(uint64_t& value) {
  uint8_t bytes[8];
  if (!Read(bytes, 8)) return 0;
  value = DecodeFixed64(bytes);
  return 1;
}

TvBool TvFile::WriteUInt32(uint32_t value) {
  uint8_t bytes[4];
  EncodeFixed32(bytes, value);
  return Write(bytes, 4);
}

TvBool TvFile::WriteUInt64(uint64_t value) {
  uint8_t bytes[8];
  EncodeFixed64(bytes, value);
  return Write(bytes, 8);
}

TvBool TvFile::WriteZeros(uint32_t count) {
  // One write for any block of a record's size; larger blocks go in pieces.
  constexpr uint32_t kPiece = 65536;
  std::string zeros(count < kPiece ? count : kPiece, '\0');
  while (count != 0) {
    uint32_t piece = count < kPiece ? count : kPiece;
    if (!Write(zeros.data(), piece)) return 0;
    count -= piece;
  }
  return 1;
}

TvBool TvFile::GetPosition(uint64_t* position) {
  if (!SettleWrites()) return 0;
  uint64_t where = 0;
  if (!platform::SeekFile(m_hFile, 0, platform::kFromCurrent, &where)) {
    ReportError(ErrorSeek);
    return 0;
  }
  *position = where;
  return 1;
}

uint64_t TvFile::GetPosition() {
  uint64_t position = 0;
  return GetPosition(&position) ? position : 0;
}

uint64_t TvFile::GetLength() {
  if (!SettleWrites()) return 0;
  uint64_t size = 0;
  if (!platform::FileSize(m_hFile, &size)) {
    ReportError(ErrorLength);
    return 0;
  }
  return size;
}

TvBool TvFile::Seek(uint64_t offset, int origin, TvBool forward) {
  if (!SettleWrites()) return 0;
  uint64_t target;
  switch (origin) {
    case 0:
      target = offset;
      break;
    case 1:
      target = GetPosition();
      target = forward ? target + offset : target - offset;
      break;
    case 2:
      target = GetLength();
      target = forward ? target + offset : target - offset;
      break;
    default:
      target = 0;
      break;
  }
  // A target that wrapped below the start shows as a negative distance, which the system refuses.
  if (!platform::SeekFile(m_hFile, static_cast<int64_t>(target), platform::kFromStart, nullptr)) {
    ReportError(ErrorSeek);
    return 0;
  }
  return 1;
}

TvBool TvFile::SeekTo(uint64_t position) { return Seek(position, 0, 1); }

TvBool TvFile::SeekRaw(int32_t distance, int origin, uint32_t* newPosition) {
  if (!SettleWrites()) return 0;
  uint64_t where = 0;
  if (origin < 0 || origin > 2) {
    platform::SetLastError(platform::ErrorCode(platform::SysError::kInvalidParameter));
    ReportError(ErrorSeek);
    return 0;
  }
  if (!platform::SeekFile(m_hFile, distance, static_cast<platform::FileOrigin>(origin), &where)) {
    ReportError(ErrorSeek);
    return 0;
  }
  // A 32-bit move cannot express a position beyond 4 GiB.
  if (where > 0xFFFFFFFFull) {
    platform::SetLastError(platform::ErrorCode(platform::SysError::kInvalidParameter));
    ReportError(ErrorSeek);
    return 0;
  }
  if (newPosition != nullptr) *newPosition = static_cast<uint32_t>(where);
  return 1;
}

TvBool TvFile::Flush() {
  if (!SettleWrites()) return 0;
  if (platform::FlushFile(m_hFile)) return 1;
  ReportError(ErrorWrite);
  return 0;
}

uint64_t GetFileSizeByName(const std::string& name) {
  platform::FileHandle handle = platform::OpenFile(name, kModeSizeQuery);
  if (handle == platform::kInvalidFile) return 0;
  uint64_t size = 0;
  if (!platform::FileSize(handle, &size)) size = 0;
  platform::CloseFile(handle);
  return size;
}

TvBool CopyFileRange(TvFile& source, TvFile& target, uint64_t count) {
  uint64_t length = source.GetLength();
  uint64_t position = source.GetPosition();
  uint64_t available = length > position ? length - position : 0;
  if (available < count) return 0;
  if (count == 0) return 1;

  uint32_t chunk = count > kCopyChunk ? kCopyChunk : static_cast<uint32_t>(count);
  std::unique_ptr<char[]> buffer(new char[chunk]);
  while (count != 0) {
    uint32_t piece = count > chunk ? chunk : static_cast<uint32_t>(count);
    if (!source.Read(buffer.get(), piece) || !target.Write(buffer.get(), piece)) return 0;
    count -= piece;
  }
  return 1;
}
