#include "messages/message_batch.h"

#include <algorithm>
#include <cstring>

#include "foundation/tv_error.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/system_error.h"

std::unique_ptr<TvReplacingFile> TvMessageBatch::OpenNewFile(const std::string& finalPath,
                                                             const TvFile::MakeRoom& makeRoom) {
  auto file = std::make_unique<TvReplacingFile>(1);
  if (!file->OpenMakingRoom(finalPath, kModeReadWriteCreateMessage, makeRoom)) return nullptr;
  return file;
}

void TvMessageBatch::Add(std::unique_ptr<TvReplacingFile> file, const std::string& oldPath,
                         const std::string& finalPath, uint64_t bytes, size_t tag) {
  Entry entry;
  entry.key = FoldCase(finalPath);
  m_names.AddPending(entry.key);
  m_bytes += bytes;
  entry.file = std::move(file);
  entry.oldPath = oldPath;
  entry.finalPath = finalPath;
  entry.tag = tag;
  entry.bytes = bytes;
  m_entries.push_back(std::move(entry));
}

void TvMessageBatch::Entry::Fail(uint32_t error) {
  file->Abandon();
  refusal = Refusal::kFailed;
  // A failure the system gave no code for is still one the batch reports.
  commitError = error != 0 ? error : platform::ErrorCode(platform::SysError::kWriteFault);
}

void TvMessageBatch::FlushAll() {
  std::vector<platform::FileHandle> handles;
  handles.reserve(m_entries.size());
  for (const Entry& entry : m_entries) handles.push_back(entry.file->Handle());
  std::vector<uint32_t> errors(handles.size(), 0);
  platform::FlushFiles(handles.data(), handles.size(), errors.data());
  for (size_t i = 0; i < m_entries.size(); ++i) {
    Entry& entry = m_entries[i];
    if (errors[i] != 0) {
      entry.Fail(errors[i]);
      continue;
    }
    // Reported with the batch's other failures, not on its own.
    entry.file->ShowErrors(0);
    if (!entry.file->CloseFlushed()) entry.Fail(platform::LastError());
  }
}

void TvMessageBatch::MoveAll(std::vector<std::string>& directories) {
  for (Entry& entry : m_entries) {
    if (!entry.Ok()) continue;
    TvReplacingFile& file = *entry.file;
    bool moved = file.MoveIntoPlace(false) != 0;
    if (!moved && platform::LastError() == platform::ErrorCode(platform::SysError::kAlreadyExists)) {
      // Only the same bytes may take the place of a file already there.
      if (!SameFileContents(file.TempName(), file.FinalName())) {
        file.Abandon();
        entry.refusal = Refusal::kExistingDiffers;
        continue;
      }
      moved = file.MoveIntoPlace(true) != 0;
      entry.replacedBytes = entry.bytes;
    }
    if (!moved) {
      entry.Fail(platform::LastError());
      continue;
    }
    uint64_t size = 0;
    if (!platform::FileSizeByPath(file.FinalName(), &size) || size != entry.bytes) {
      DeleteFileIfExists(file.FinalName());
      entry.refusal = Refusal::kFailed;
      continue;
    }
    std::string name;
    FileNameFromPath(name, file.FinalName());
    std::string directory = file.FinalName().substr(0, file.FinalName().size() - name.size());
    if (std::find(directories.begin(), directories.end(), directory) == directories.end()) {
      directories.push_back(directory);
    }
  }
}

void TvMessageBatch::FlushDirectories(const std::vector<std::string>& directories) {
  for (const std::string& directory : directories) {
    if (platform::FlushDirectory(directory)) continue;
    // The moves into this directory may not survive a crash: their old files must stay.
    const uint32_t error = platform::LastError();
    for (Entry& entry : m_entries) {
      if (!entry.Ok() || entry.finalPath.compare(0, directory.size(), directory) != 0) continue;
      entry.refusal = Refusal::kFailed;
      entry.commitError = error;
    }
  }
}

void TvMessageBatch::ReportCommitFailures() const {
  for (const Entry& entry : m_entries) {
    if (entry.commitError == 0) continue;
    platform::SetLastError(entry.commitError);
    TvFileError report(entry.finalPath.c_str(), 1);
    return;
  }
}

void TvMessageBatch::Place() {
  FlushAll();
  std::vector<std::string> directories;
  MoveAll(directories);
  FlushDirectories(directories);
  ReportCommitFailures();
}

std::vector<TvMessageBatch::Outcome> TvMessageBatch::Commit() {
  Place();
  std::vector<Outcome> outcomes;
  outcomes.reserve(m_entries.size());
  for (Entry& entry : m_entries) {
    if (entry.Ok()) m_names.AddCommitted(entry.key);
    outcomes.push_back(Outcome{std::move(entry.oldPath), std::move(entry.finalPath), entry.tag,
                               entry.Ok(), entry.refusal, entry.bytes, entry.replacedBytes,
                               entry.commitError});
  }
  m_entries.clear();
  m_names.ClearPending();
  m_bytes = 0;
  return outcomes;
}

bool SameFileContents(const std::string& a, const std::string& b) {
  TvFile first(0, 0);
  TvFile second(0, 0);
  if (!first.Open(a, kModeReadShared) || !second.Open(b, kModeReadShared)) return false;
  uint64_t length = first.GetLength();
  if (length != second.GetLength()) return false;
  constexpr uint32_t kPiece = 1u << 20;
  std::unique_ptr<char[]> x(new char[kPiece]);
  std::unique_ptr<char[]> y(new char[kPiece]);
  while (length != 0) {
    uint32_t piece = length < kPiece ? static_cast<uint32_t>(length) : kPiece;
    if (!first.Read(x.get(), piece) || !second.Read(y.get(), piece)) return false;
    if (std::memcmp(x.get(), y.get(), piece) != 0) return false;
    length -= piece;
  }
  return true;
}
