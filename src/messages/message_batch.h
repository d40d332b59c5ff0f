// Group commit of new message files.
//
// Each new file is written under its temporary name and handed to the batch still open; Commit
// then makes the whole batch durable with one platform::FlushFiles, closes the files, moves each
// to its final name and flushes each directory it touched once. Only what Commit reports as
// committed is on stable storage under its final name, so only then may its old file go.
//
// A final name that already holds a file is replaced only by identical bytes (a re-conversion
// of the same old file after an interrupted run); any other file there is kept and the message
// is not committed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/replacing_file.h"

class TvMessageBatch {
 public:
  // A batch is committed once it holds this many files or this many bytes of new data.
  static constexpr size_t kMaxFiles = 256;
  static constexpr uint64_t kMaxBytes = uint64_t{64} << 20;

  struct Outcome {
    std::string oldPath;
    size_t tag = 0;  // the caller's, from Add
    bool committed = false;
  };

  // Takes a written, still open new file of bytes bytes (its temporary file complete and read
  // back). key names the final file without regard to case. Once moved into place its length is
  // checked again: a file changed on its way there is removed and not committed.
  void Add(std::unique_ptr<TvReplacingFile> file, const std::string& oldPath,
           const std::string& key, uint64_t bytes, size_t tag);
  bool Full() const { return m_entries.size() >= kMaxFiles || m_bytes >= kMaxBytes; }
  bool Empty() const { return m_entries.empty(); }
  // A file of that key waits in this batch.
  bool Pending(const std::string& key) const { return m_pendingKeys.count(key) != 0; }
  // A file of that key was committed by this batch object earlier.
  bool Committed(const std::string& key) const { return m_committedKeys.count(key) != 0; }

  // Commits every file added since the last commit; the outcomes come in the order of Add.
  // Failures are reported as every file operation is (the file error box); a final name held by
  // different bytes is not, the caller's outcome line says it.
  std::vector<Outcome> Commit();

 private:
  struct Entry {
    std::unique_ptr<TvReplacingFile> file;
    std::string oldPath;
    std::string key;
    size_t tag = 0;
    uint64_t bytes = 0;
    bool ok = true;
  };
  void FlushAll();
  void MoveAll(std::vector<std::string>& directories);

  std::vector<Entry> m_entries;
  uint64_t m_bytes = 0;
  std::unordered_set<std::string> m_pendingKeys;
  std::unordered_set<std::string> m_committedKeys;
};

// True when the two files hold the same bytes (false when either cannot be read).
bool SameFileContents(const std::string& a, const std::string& b);
