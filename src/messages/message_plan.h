// What becomes of one loaded old message file, decided before anything is written: where its new
// file goes, how long it is, and whether it may be written there. The conversion stages and
// commits the files its plans let through; zvtool check only reads the plans.
#pragma once

#include <cstdint>
#include <string>

struct TvMessagePlan {
  enum class Verdict {
    kConverts,
    kCommitFirst,      // a file of the same new name waits in the batch: commit it, plan again
    kNoPlace,          // no new path, or a length beyond 64 bits
    kNameTaken,        // an earlier old file of the run took the same new name
    kExistingDiffers,  // a 3.1 file of that name holds other bytes; it is kept
  };
  std::string oldPath;
  std::string newPath;
  std::string key;  // FoldCase of newPath
  Verdict verdict = Verdict::kNoPlace;
  uint64_t bytes = 0;          // the new file's length
  uint64_t replacedBytes = 0;  // the length of a 3.1 file of that name with the very bytes, else 0
  bool Converts() const { return verdict == Verdict::kConverts; }
};
