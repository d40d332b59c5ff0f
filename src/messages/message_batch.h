// Group commit of new message files.
//
// Each new file is written under its temporary name and handed to the batch still open; Commit
// then makes the whole batch durable with one platform::FlushFiles, closes the files, moves each
// to its final name and flushes each directory it touched once. Only what Commit reports as
// committed is on stable storage under its final name, so only then may its old file go.
// However many of its files a failed flush, move or directory flush costs, the batch reports it
// with one file error box, for the first file it cost.
//
// A final name that already holds a file is replaced only by identical bytes (a re-conversion
// of the same old file after an interrupted run); any other file there is kept and the message
// is not committed. The message's plan decides that before anything is written; the commit holds
// to it again for a file that appeared since.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/replacing_file.h"

// The new names a run has given out (case-folded final paths): waiting in a batch, or committed.
// A plan reads them to find a new name an earlier old file of the run took.
class TvNewNames {
 public:
  bool Pending(const std::string& key) const { return m_pending.count(key) != 0; }
  bool Committed(const std::string& key) const { return m_committed.count(key) != 0; }
  void AddPending(const std::string& key) { m_pending.insert(key); }
  void ClearPending() { m_pending.clear(); }
  void AddCommitted(const std::string& key) { m_committed.insert(key); }

 private:
  std::unordered_set<std::string> m_pending;
  std::unordered_set<std::string> m_committed;
};

class TvMessageBatch {
 public:
  // A batch is committed once it holds this many files or this many bytes of new data.
  static constexpr size_t kMaxFiles = 256;
  static constexpr uint64_t kMaxBytes = uint64_t{64} << 20;

  // Why a new file did not reach its final name.
  enum class Refusal {
    kNone,
    kNameTaken,        // an earlier old file of the run took the same new name
    kExistingDiffers,  // a file of that name is already there with other bytes; it is kept
    kFailed,           // writing, flushing or moving it failed (reported as it happened)
  };
  struct Outcome {
    std::string oldPath;
    std::string finalPath;  // where the new file belongs
    size_t tag = 0;         // the caller's, from Add
    bool committed = false;
    Refusal refusal = Refusal::kNone;
    uint64_t bytes = 0;          // the new file's length
    uint64_t replacedBytes = 0;  // the length of an identical file it replaced, else 0
    // kFailed by the commit itself (its flush, move or directory flush): the system error. The
    // batch's one box named the first such file.
    uint32_t commitError = 0;
  };

  // Opens the file a new message file is written to; Commit takes it to finalPath. Null when it
  // cannot be opened (reported). makeRoom: as TvFile::OpenMakingRoom takes it.
  std::unique_ptr<TvReplacingFile> OpenNewFile(const std::string& finalPath,
                                               const TvFile::MakeRoom& makeRoom);
  // Takes a written, still open new file of bytes bytes (complete and read back) that belongs
  // at finalPath. Once moved into place its length is checked again: a file changed on its way
  // there is removed and not committed.
  void Add(std::unique_ptr<TvReplacingFile> file, const std::string& oldPath,
           const std::string& finalPath, uint64_t bytes, size_t tag);
  bool Full() const { return m_entries.size() >= kMaxFiles || m_bytes >= kMaxBytes; }
  bool Empty() const { return m_entries.empty(); }
  // The keys (FoldCase of the final path) of the files waiting in this batch and of those it
  // committed earlier.
  const TvNewNames& Names() const { return m_names; }

  // Commits every file added since the last commit; the outcomes come in the order of Add.
  // The commit's own failures are reported with one file error box for the batch; a final name
  // held by different bytes is not, the caller's outcome line says it.
  std::vector<Outcome> Commit();

 private:
  struct Entry {
    std::unique_ptr<TvReplacingFile> file;
    std::string oldPath;
    std::string finalPath;
    std::string key;
    size_t tag = 0;
    uint64_t bytes = 0;
    uint64_t replacedBytes = 0;
    Refusal refusal = Refusal::kNone;
    uint32_t commitError = 0;
    bool Ok() const { return refusal == Refusal::kNone; }
    // The commit failed for this file with the system error; its temporary file goes.
    void Fail(uint32_t error);
  };
  // Takes every entry to its final name, or sets its refusal.
  void Place();
  void FlushAll();
  void MoveAll(std::vector<std::string>& directories);
  void FlushDirectories(const std::vector<std::string>& directories);
  // One file error box for the commit's failures: the first failed file, with its error.
  void ReportCommitFailures() const;

  std::vector<Entry> m_entries;
  uint64_t m_bytes = 0;
  TvNewNames m_names;
};

// True when the two files hold the same bytes (false when either cannot be read).
bool SameFileContents(const std::string& a, const std::string& b);
