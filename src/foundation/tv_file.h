// Every file of the conversion is read and written through TvFile: exact-length binary reads and
// writes, 64-bit positions and lengths, counted strings. A failing operation is reported once
// (TvFileError, shown when the file was made to show errors) and returns failure, or throws its
// ErrorExceptions value when the file was made to throw.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/types.h"
#include "platform/file.h"

// Open modes used by the stores (the bits are in platform/file.h).
enum TvOpenMode : uint32_t {
  // old list files: a missing file is created empty
  kModeReadWriteOpenOrCreate =
      platform::kOpenReadWrite | platform::kOpenCreate | platform::kOpenKeepContents,
  // old list files, read only
  kModeReadOpenOrCreate = platform::kOpenRead | platform::kOpenCreate | platform::kOpenKeepContents,
  // new files: create or truncate
  kModeReadWriteCreate = platform::kOpenReadWrite | platform::kOpenCreate,
  // new message files and staged attachments
  kModeReadWriteCreateMessage = kModeReadWriteCreate | platform::kOpenExclusive,
  // message and attachment files: existing only, others may read
  kModeReadShared = platform::kOpenRead | platform::kOpenShareRead | platform::kOpenKeepContents,
  // the conversion log
  kModeLog = kModeReadWriteOpenOrCreate | platform::kOpenExclusive,
};
static_assert(kModeReadWriteOpenOrCreate == 0x3002 && kModeReadOpenOrCreate == 0x3000 &&
              kModeReadWriteCreate == 0x1002 && kModeReadWriteCreateMessage == 0x1012 &&
              kModeReadShared == 0x2020 && kModeLog == 0x3012);

class TvFile {
 public:
  enum ErrorExceptions {
    ErrorRead = 1,
    ErrorWrite = 2,
    ErrorOpen = 3,
    ErrorClose = 4,
    ErrorSeek = 5,
    ErrorLength = 7,
  };

  TvFile(TvBool throwOnError, TvBool showErrors);
  virtual ~TvFile();
  TvFile(const TvFile&) = delete;
  TvFile& operator=(const TvFile&) = delete;

  // Closes a file still open first; the name is kept even when the open fails.
  virtual TvBool Open(const std::string& name, uint32_t mode);
  // Releases file handles held elsewhere (true), or has none to release (false).
  using MakeRoom = std::function<bool()>;
  // Open, except that an open failing for want of file handles asks makeRoom (when given) to
  // release some and is tried once more: only an open that still fails is reported.
  TvBool OpenMakingRoom(const std::string& name, uint32_t mode, const MakeRoom& makeRoom);
  // True only when exactly count bytes were read; a count of 0 succeeds without the file.
  virtual TvBool Read(void* buffer, uint32_t count);
  // Reads up to count bytes; *done < count only at the end of the file. False (reported) when the
  // read fails.
  TvBool ReadUpTo(void* buffer, uint32_t count, uint32_t* done);
  // True only when exactly count bytes were written; a count of 0 succeeds without the file.
  virtual TvBool Write(const void* buffer, uint32_t count);
  virtual TvBool Close();

  // One counted string. A declared length beyond what is left in the file fails as the short
  // read it would become, without allocating it.
  TvBool ReadString(std::string& text);
  TvBool WriteString(const std::string& text);

  TvBool ReadUInt32(uint32_t& value);
  TvBool ReadUInt64(uint64_t& value);
  TvBool WriteUInt32(uint32_t value);
  TvBool WriteUInt64(uint64_t value);
  // A reserved block: count zero bytes.
  TvBool WriteZeros(uint32_t count);

  // origin 0 start, 1 current position, 2 end; forward adds the offset, otherwise subtracts it.
  TvBool Seek(uint64_t offset, int origin, TvBool forward);
  TvBool SeekTo(uint64_t position);
  // One 32-bit move; newPosition receives the low 32 bits of the result.
  TvBool SeekRaw(int32_t distance, int origin, uint32_t* newPosition = nullptr);
  uint64_t GetPosition();  // 0 on failure
  TvBool GetPosition(uint64_t* position);
  uint64_t GetLength();  // 0 on failure
  // Forces the written contents to stable storage.
  TvBool Flush();

  // From now on writes smaller than capacity are gathered in memory and reach the system in
  // pieces of up to capacity bytes, so a file built from many small records costs one system
  // write. Any other operation writes what is gathered first; a failure to write it is reported
  // then, with the file's name, as the write would have been.
  void BufferWrites(uint32_t capacity);
  // Writes what is gathered; false (reported) when it cannot.
  TvBool SettleWrites();

  // Whether failures show the file error box from now on.
  void ShowErrors(TvBool show) { m_boolShowErrors = show; }
  bool IsOpen() const { return m_hFile != platform::kInvalidFile; }
  const std::string& FileName() const { return m_csFileName; }

 protected:
  // Reports a failed operation as every TvFile operation does: TvFileError (shown when asked),
  // then throws when the file was made to throw. Leaves the system's last error as it was.
  void ReportError(ErrorExceptions kind);

  platform::FileHandle m_hFile = platform::kInvalidFile;
  std::string m_csFileName;
  TvBool m_boolOpen = 1;
  TvBool m_boolThrow = 0;
  TvBool m_boolShowErrors = 1;
  std::string m_writeBuffer;
  uint32_t m_writeCapacity = 0;
};

// Size of a named file; 0 when it cannot be opened (nothing shown).
uint64_t GetFileSizeByName(const std::string& name);

// Copies count bytes from the source's position to the target's in pieces of at most 8 MiB
// through one buffer. False without copying when fewer than count bytes remain in the source.
TvBool CopyFileRange(TvFile& source, TvFile& target, uint64_t count);
