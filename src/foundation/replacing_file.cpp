#include "foundation/replacing_file.h"

#include "foundation/tv_error.h"
#include "foundation/utilities.h"
#include "platform/file_system.h"
#include "platform/system_error.h"

TvReplacingFile::TvReplacingFile(TvBool showErrors) : TvFile(0, showErrors) {}

TvReplacingFile::~TvReplacingFile() { Abandon(); }

TvBool TvReplacingFile::Open(const std::string& finalName, uint32_t mode) {
  if (m_pending) Abandon();
  if (IsOpen() && m_boolOpen) Close();
  m_hFile = platform::kInvalidFile;
  m_finalName = finalName;
  m_csFileName = finalName;
  platform::FileHandle handle = platform::OpenFile(TempName(), mode);
  if (handle == platform::kInvalidFile) {
    ReportError(ErrorOpen);
    return 0;
  }
  m_hFile = handle;
  m_boolOpen = 1;
  m_pending = true;
  return 1;
}

TvBool TvReplacingFile::Commit() {
  if (!m_pending) return 0;
  if (!IsOpen()) {
    // Closed without a commit: what was written is not known to be whole.
    Abandon();
    return 0;
  }
  if (!Flush() || !Close()) {
    Abandon();
    return 0;
  }
  m_pending = false;
  if (platform::MoveFileReplace(TempName(), m_finalName)) return 1;
  uint32_t error = platform::LastError();
  platform::DeleteFile(TempName());
  platform::SetLastError(error);
  TvFileError report(m_finalName.c_str(), m_boolShowErrors);
  if (m_boolThrow) throw ErrorWrite;
  return 0;
}

void TvReplacingFile::Abandon() {
  if (!m_pending) return;
  m_pending = false;
  uint32_t error = platform::LastError();
  m_writeBuffer.clear();
  if (IsOpen()) {
    platform::CloseFile(m_hFile);
    m_hFile = platform::kInvalidFile;
    m_boolOpen = 0;
    m_csFileName.clear();
  }
  platform::DeleteFile(TempName());
  platform::SetLastError(error);
}

TvBool TvReplacingFile::CloseFlushed() {
  if (!m_pending) return 0;
  if (Close()) return 1;
  Abandon();
  return 0;
}

TvBool TvReplacingFile::MoveIntoPlace(bool replaceExisting) {
  if (!m_pending || IsOpen()) return 0;
  if (!platform::MoveFileUnflushed(TempName(), m_finalName, replaceExisting)) return 0;
  m_pending = false;
  return 1;
}
