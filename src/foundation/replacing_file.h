// A new-format file written so that a crash can never leave a partial file under its final name:
// it is written under a temporary name in the same directory, flushed to stable storage and then
// moved over the final name in one step. Until Commit the final name (and any earlier file of
// that name) is untouched; a file that is not committed is removed.
#pragma once

#include <string>

#include "foundation/tv_file.h"

class TvReplacingFile : public TvFile {
 public:
  // Temporary names are the final name followed by this suffix. A later run judges the ones left
  // behind (database/leftover_files.h): one may be the only copy of its file.
  static constexpr const char* kTempSuffix = ".zvtmp";

  explicit TvReplacingFile(TvBool showErrors = 1);
  ~TvReplacingFile() override;  // abandons a file that was not committed

  // Opens finalName + kTempSuffix with the given create mode. Errors name the final file.
  TvBool Open(const std::string& finalName, uint32_t mode) override;
  // Flushes, closes and moves the temporary file over the final name. On failure the temporary
  // file is removed and the final name is left as it was.
  TvBool Commit();
  // Closes and removes the temporary file; the final name is untouched.
  void Abandon();

  // The steps of Commit for a caller that flushes many files at once (platform::FlushFiles of
  // their handles): close the flushed file (reported; abandoned on failure), then move it to the
  // final name without flushing the directory. A move that fails leaves the temporary file for
  // the caller to abandon; with replaceExisting false an existing final file makes it fail with
  // SysError::kAlreadyExists, untouched.
  TvBool CloseFlushed();
  TvBool MoveIntoPlace(bool replaceExisting);

  platform::FileHandle Handle() const { return m_hFile; }

  const std::string& FinalName() const { return m_finalName; }
  std::string TempName() const { return m_finalName + kTempSuffix; }

 private:
  std::string m_finalName;
  bool m_pending = false;
};
