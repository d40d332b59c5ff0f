// What one conversion run did and reported, counted where it happens: the exit status and the
// end-of-run summary both come from here, never from a store's own bookkeeping.
//
// A failure is anything the run reported to the user as failed: an Error line of the log (counted
// by TvLog::Add) or a box with the error or warning icon (counted by the user interface, whoever
// raised it). Question and information boxes are no failures. Stores count messages and list files
// as they finish them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TvRunOutcome {
  uint32_t failures = 0;              // Error lines written + error/warning boxes shown
  uint32_t messagesConverted = 0;     // 3.1 message files written (and read back)
  uint32_t messagesNotConverted = 0;  // old message files left because of a failure
  uint32_t listFilesConverted = 0;    // folders list, contact list, canned-reply lists written
  bool interrupted = false;           // the run stopped early because the user asked it to
};

// The process's one tally: the whole session's, from start-up on (a backup that failed before
// the conversion in the same dialog still counts). Reset when start-up begins.
TvRunOutcome& RunOutcome();
void ResetRunOutcome();
// One reported failure; what: its text (an Error line's message, a box's text).
void CountFailure(const std::string& what);
// The texts of the session's first kKeptFailureTexts failures, in order (for the run's report).
inline constexpr size_t kKeptFailureTexts = 20;
const std::vector<std::string>& FirstFailures();
// Asked between messages and between stores: true once the user asked the run to stop (POSIX:
// SIGINT, SIGTERM), and the run is then marked interrupted.
bool StopIfRequested();
