// Temporary files an earlier run left behind ("<name>.zvtmp"). A new file is written under its
// temporary name, flushed and renamed; only then does its old file go. A disk that does not keep
// metadata changes in order can lose the rename across a power cut and keep the deletion, so a
// leftover may be the only copy of what it holds: each one is judged, never swept.
//
// Judging reads only (zvtool check shows the verdicts); SettleLeftovers carries them out.
#pragma once

#include <string>
#include <vector>

#include "foundation/tv_log.h"

enum class TvLeftoverVerdict {
  kDelete,   // the old file it was made from is still there: the conversion makes it again
  kRecover,  // no old file, no final file, and it reads whole: it becomes the final file
  kKeep,     // anything else: it stays where it is, named in an Error line
};

struct TvLeftover {
  std::string tempPath;
  std::string finalPath;  // tempPath without the temporary suffix
  std::string oldPath;    // the old file it was made from, when one is there (kDelete)
  TvLeftoverVerdict verdict = TvLeftoverVerdict::kKeep;
  std::string reason;  // why it is kept (kKeep)
};

// Judges every leftover in directory (ending in a separator). In the data folder the leftovers
// of the list files are known; in a folder directory those of message files.
std::vector<TvLeftover> JudgeLeftovers(const std::string& directory, bool dataFolder);

// Carries out the verdicts: deletes (without a line, the conversion redoes the file), recovers
// (moved without replacing anything, made durable, an Info line) or keeps (an Error line). A
// recovery that cannot be made keeps the file, with an Error line that says why.
void SettleLeftovers(const std::vector<TvLeftover>& leftovers, TvLog& log);

// The log line of a verdict: recovered or kept; empty for a deletion.
std::string LeftoverLine(const TvLeftover& leftover);
