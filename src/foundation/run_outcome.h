// What one conversion run did and reported, counted where it happens: the exit status and the
// end-of-run summary both come from here, never from a store's own bookkeeping.
//
// A failure is anything the run reported to the user as failed: an Error line of the log (counted
// by TvLog::Add) or a box with the error or warning icon (counted by the user interface, whoever
// raised it). Question and information boxes are no failures. Stores count messages and list files
// as they finish them.
#pragma once

#include <cstdint>

struct TvRunOutcome {
  uint32_t failures = 0;              // Error lines written + error/warning boxes shown
  uint32_t messagesConverted = 0;     // 3.1 message files written (and read back)
  uint32_t messagesNotConverted = 0;  // old message files left because of a failure
  uint32_t listFilesConverted = 0;    // folders list, contact list, canned-reply lists written
  bool interrupted = false;           // the run stopped early because the user asked it to
};

// The process's one tally. Reset at the start of every conversion.
TvRunOutcome& RunOutcome();
void ResetRunOutcome();
void CountFailure();
// Asked between messages and between stores: true once the user asked the run to stop (POSIX:
// SIGINT, SIGTERM), and the run is then marked interrupted.
bool StopIfRequested();
