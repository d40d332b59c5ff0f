// A watch over every file operation of a run, for the reliability tests:
//
// - it records every change made outside a set of allowed folders (a write, a delete, a move, a
//   file or directory created), so a test can prove that nothing is written outside the data
//   folder and the temporary folder;
// - it models a power cut at operation k: from k on every file operation fails (the machine is
//   gone, nothing more reaches the disk), and when the run is over Cut() takes away what an
//   ordinary file system may lose - the contents written to each file since its last flush - while
//   creations, renames and deletions already made stay. That is the worst case a journaling file
//   system allows without ordered data, and the one the durable replacement has to survive.
//
// Contents are tracked per path. A file that existed when the watch started is durable with the
// contents it had then; a file created during the run is durable as an empty file until it is
// flushed. A move carries the durable state of its source to its target. The only moves the
// tool makes are those of its replacing files (temporary name = final name + ".zvtmp"), so the
// target of a move is its source without that suffix.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fault_injection.h"

namespace tvtest {

class FileOpWatch {
 public:
  // allowedRoots: folders (ending in a separator) inside which the run may change files. cutAt:
  // the 1-based operation at which the power goes; 0 for no cut (only watching).
  FileOpWatch(std::vector<std::string> allowedRoots, uint64_t cutAt = 0, uint32_t cutError = 0);
  ~FileOpWatch();  // removes the observer and disarms the injector
  FileOpWatch(const FileOpWatch&) = delete;
  FileOpWatch& operator=(const FileOpWatch&) = delete;

  // Takes the durable state of every file under the allowed roots, installs the observer and,
  // with a cut, arms the injector so that every operation from cutAt on fails.
  void Start();
  // Cuts the power at once: every later operation fails, as with a cut at the next operation.
  void PowerOffNow();
  // Ends the watch. With a cut: disarms the injector and gives every file written since its last
  // flush the contents it had at that flush (or when it was made). Returns true when the run
  // reached the cut (false: it finished before operation cutAt, nothing was lost).
  bool Cut();
  // A disk that does not keep metadata changes in order (a FAT volume on Windows, where a rename
  // is not written through): every rename of the watch is lost while the deletions after it stay,
  // so each moved file is back under its temporary name. Call after the run.
  void LoseRenames();

  // Changes made outside the allowed roots ("write <path>", "delete <path>", ...).
  const std::vector<std::string>& OutsideChanges() const { return m_outside; }
  // Files whose flushed contents the model could not take (written again before they could be
  // read); a non-empty list means the model cannot vouch for the cut.
  const std::vector<std::string>& ModelGaps() const { return m_gaps; }
  // Paths that were ever opened, written or deleted, in order of first touch.
  const std::vector<std::string>& Touched() const { return m_touched; }
  // False when the run deleted oldPath before newPath was on stable storage under its name: its
  // contents flushed and, when it was moved there, its directory flushed after the move (on
  // Windows a move is written through). True when oldPath was not deleted.
  bool DeletedAfterDurable(const std::string& oldPath, const std::string& newPath) const;

 private:
  struct FileState {
    std::string durable;          // contents at the last flush (or at the start / creation)
    bool dirty = false;           // written since then
    bool capturePending = false;  // flushed, contents not read yet (still open without sharing)
    // For the order of deletions: written since its last flush, moved here since its directory's
    // last flush, and the operation at which neither was last true (0: since the start).
    bool unflushed = false;
    bool unflushedName = false;
    uint64_t durableSince = 0;
    void Settled(uint64_t op) {
      if (!unflushed && !unflushedName) durableSince = op;
    }
  };

  void OnOperation(platform::FileOp op, const std::string& path);
  bool Allowed(const std::string& path) const;
  void Touch(const std::string& path);
  void TryCaptures();
  FileState& StateOf(const std::string& path);

  std::vector<std::string> m_roots;
  uint64_t m_cutAt;
  uint32_t m_cutError;
  uint64_t m_seen = 0;
  bool m_reached = false;
  bool m_started = false;
  std::map<std::string, FileState> m_files;
  std::set<std::string> m_pending;
  std::vector<std::string> m_outside;
  std::vector<std::string> m_gaps;
  std::vector<std::string> m_touched;
  std::set<std::string> m_touchedSet;
  std::map<std::string, uint64_t> m_deletedAt;  // path -> the operation that deleted it
  std::vector<std::string> m_moved;  // temporary names moved to their final names, in order
};

// Every plain file under folder (recursively), as path relative to folder -> contents.
std::map<std::string, std::string> SnapshotTree(const std::string& folder);

}  // namespace tvtest
