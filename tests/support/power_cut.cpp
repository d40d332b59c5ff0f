#include "support/power_cut.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "foundation/replacing_file.h"
#include "support/test_helpers.h"

namespace tvtest {

namespace {

namespace fs = std::filesystem;

// Reads a file outside the platform layer, so the reading is neither counted nor observed. Fails
// while another handle holds the file without sharing (Windows).
bool ReadOutside(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool ExistsOutside(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

// From operation failAt on, every file operation fails with error: the power is gone.
void ArmPowerCut(uint64_t failAt, uint32_t error) {
  platform::FaultPlan plan;
  plan.failAt = failAt;
  plan.persistent = true;
  plan.errorCode = error;
  platform::FaultInjector::Arm(plan);
}

const char* OpName(platform::FileOp op) {
  using platform::FileOp;
  static const std::pair<FileOp, const char*> kNames[] = {
      {FileOp::kOpen, "open"},     {FileOp::kRead, "read"},
      {FileOp::kWrite, "write"},   {FileOp::kSeek, "seek"},
      {FileOp::kFlush, "flush"},   {FileOp::kClose, "close"},
      {FileOp::kDelete, "delete"}, {FileOp::kMove, "move"},
      {FileOp::kSize, "size"},     {FileOp::kCreateDirectory, "create directory"},
      {FileOp::kFlushDirectory, "flush directory"}};
  for (const auto& [known, name] : kNames) {
    if (known == op) return name;
  }
  return "?";
}

}  // namespace

FileOpWatch::FileOpWatch(std::vector<std::string> allowedRoots, uint64_t cutAt, uint32_t cutError)
    : m_roots(std::move(allowedRoots)), m_cutAt(cutAt), m_cutError(cutError) {}

FileOpWatch::~FileOpWatch() {
  if (m_started) {
    platform::FaultInjector::SetObserver(nullptr);
    platform::FaultInjector::Disarm();
  }
}

void FileOpWatch::Start() {
  for (const std::string& root : m_roots) {
    for (const auto& [relative, bytes] : SnapshotTree(root)) {
      FileState& state = m_files[root + relative];
      state.durable = bytes;
    }
  }
  m_started = true;
  platform::FaultInjector::SetObserver([this](platform::FileOp op, const std::string& path,
                                              platform::FileHandle) { OnOperation(op, path); });
  if (m_cutAt != 0) ArmPowerCut(m_cutAt, m_cutError);
}

bool FileOpWatch::Allowed(const std::string& path) const {
  for (const std::string& root : m_roots) {
    if (path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
      // No ".." component may lead back out of the root.
      return path.find("..", root.size()) == std::string::npos ||
             fs::path(path).lexically_normal().string().compare(0, root.size(), root) == 0;
    }
  }
  return false;
}

void FileOpWatch::Touch(const std::string& path) {
  if (m_touchedSet.insert(path).second) m_touched.push_back(path);
}

FileOpWatch::FileState& FileOpWatch::StateOf(const std::string& path) {
  auto it = m_files.find(path);
  if (it != m_files.end()) return it->second;
  // First seen now: a file that exists already keeps what it holds (it was not written through
  // the platform during this run), a new one starts empty.
  FileState& state = m_files[path];
  ReadOutside(path, &state.durable);
  return state;
}

void FileOpWatch::TryCaptures() {
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    FileState& state = m_files[*it];
    std::string bytes;
    if (ReadOutside(*it, &bytes)) {
      state.durable = bytes;
      state.dirty = false;
      state.capturePending = false;
      it = m_pending.erase(it);
    } else {
      ++it;
    }
  }
}

void FileOpWatch::OnOperation(platform::FileOp op, const std::string& path) {
  ++m_seen;
  if (m_cutAt != 0 && m_seen >= m_cutAt) {
    // The power is gone: this operation and every later one fail before touching the disk.
    m_reached = true;
    return;
  }
  if (!m_pending.empty()) TryCaptures();
  if (path.empty()) return;

  const bool exists = ExistsOutside(path);
  bool changes = false;
  switch (op) {
    case platform::FileOp::kOpen:
      changes = !exists;  // an open that may create the file
      break;
    case platform::FileOp::kWrite:
    case platform::FileOp::kMove:
      changes = true;
      break;
    case platform::FileOp::kDelete:
      changes = exists;
      break;
    case platform::FileOp::kCreateDirectory:
      changes = !exists;
      break;
    default:
      break;
  }
  // Even an attempt that the injector refuses must not aim outside the allowed folders.
  if (changes && !Allowed(path)) m_outside.push_back(std::string(OpName(op)) + " " + path);
  // A refused operation changed nothing on disk.
  if (platform::FaultInjector::ObservedOperationFails()) return;

  switch (op) {
    case platform::FileOp::kOpen:
      Touch(path);
      StateOf(path);
      break;
    case platform::FileOp::kWrite: {
      Touch(path);
      FileState& state = StateOf(path);
      if (state.capturePending) {
        m_gaps.push_back(path);
        m_pending.erase(path);
        state.capturePending = false;
      }
      state.dirty = true;
      state.unflushed = true;
      break;
    }
    case platform::FileOp::kFlush: {
      FileState& state = StateOf(path);
      state.capturePending = true;
      state.unflushed = false;
      state.Settled(m_seen);
      m_pending.insert(path);
      TryCaptures();
      break;
    }
    case platform::FileOp::kDelete:
      Touch(path);
      m_files.erase(path);
      m_pending.erase(path);
      m_deletedAt[path] = m_seen;
      break;
    case platform::FileOp::kMove: {
      Touch(path);
      const std::string suffix = TvReplacingFile::kTempSuffix;
      if (!EndsWith(path, suffix)) {
        m_gaps.push_back("move of a file without the temporary suffix: " + path);
        break;
      }
      const std::string target = path.substr(0, path.size() - suffix.size());
      if (!Allowed(target)) m_outside.push_back(std::string("move to ") + target);
      TryCaptures();
      FileState moved = StateOf(path);
      if (moved.capturePending) {
        m_gaps.push_back(path);
        moved.capturePending = false;
      }
#ifndef _WIN32
      // Until its directory is flushed the new name may not survive a crash (Windows writes
      // every rename through).
      moved.unflushedName = true;
#endif
      moved.Settled(m_seen);
      m_pending.erase(path);
      m_files.erase(path);
      m_files[target] = moved;
      m_moved.push_back(path);
      break;
    }
    case platform::FileOp::kFlushDirectory:
      for (auto& [file, state] : m_files) {
        if (!state.unflushedName || file.size() <= path.size() ||
            file.compare(0, path.size(), path) != 0 ||
            file.find_first_of("/\\", path.size()) != std::string::npos) {
          continue;
        }
        state.unflushedName = false;
        state.Settled(m_seen);
      }
      break;
    default:
      break;
  }
}

bool FileOpWatch::DeletedAfterDurable(const std::string& oldPath,
                                      const std::string& newPath) const {
  auto deleted = m_deletedAt.find(oldPath);
  if (deleted == m_deletedAt.end()) return true;
  auto state = m_files.find(newPath);
  return state != m_files.end() && !state->second.unflushed && !state->second.unflushedName &&
         state->second.durableSince < deleted->second;
}

void FileOpWatch::PowerOffNow() {
  m_cutAt = m_seen + 1;
  m_reached = true;
  ArmPowerCut(platform::FaultInjector::Count() + 1, m_cutError);
}

bool FileOpWatch::Cut() {
  if (!m_started) return false;
  platform::FaultInjector::SetObserver(nullptr);
  platform::FaultInjector::Disarm();
  m_started = false;
  if (m_cutAt == 0 || !m_reached) return false;
  TryCaptures();
  for (const std::string& path : m_pending) m_gaps.push_back(path);
  for (auto& [path, state] : m_files) {
    if (!state.dirty || !ExistsOutside(path)) continue;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(state.durable.data(), static_cast<std::streamsize>(state.durable.size()));
  }
  return true;
}

void FileOpWatch::LoseRenames() {
  const std::string suffix = TvReplacingFile::kTempSuffix;
  for (auto it = m_moved.rbegin(); it != m_moved.rend(); ++it) {
    const std::string target = it->substr(0, it->size() - suffix.size());
    std::error_code error;
    if (ExistsOutside(target) && !ExistsOutside(*it)) fs::rename(target, *it, error);
  }
}

std::map<std::string, std::string> SnapshotTree(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  fs::recursive_directory_iterator it(fs::path(folder), error), end;
  for (; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    std::string full = it->path().string();
    std::string bytes;
    if (!ReadOutside(full, &bytes)) bytes = "<unreadable>";
    files[full.substr(folder.size())] = bytes;
  }
  return files;
}

}  // namespace tvtest
