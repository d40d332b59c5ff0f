// One conversion as its user sees it: the core converts while its progress is shown, a stop asked
// for by the user (POSIX: SIGINT, SIGTERM) ends it cleanly between messages, and the run ends
// with one line of counts (in the done box, and on stderr on POSIX).
#pragma once

#include <string>

#include "foundation/run_outcome.h"
#include "foundation/types.h"

class ConversionCore;

// Converts with the core. windowed: the dialog's run (a progress window on Windows); false for
// /SILENT. On POSIX the progress line shows on a terminal's stderr either way, unless the user
// interface is quiet, which shows no progress at all.
void RunConversion(ConversionCore& core, TvBool deleteOld, bool windowed);

// The summary line: messages converted and not converted, list files converted, errors, and the
// log's path when keptLog is not empty. An interrupted run says so first.
std::string SummaryText(const TvRunOutcome& outcome, const std::string& keptLog);
// The summary of the core's last run (the log's path when the log was kept).
std::string RunSummary(ConversionCore& core);
// The log's path when the run kept it (an Error line was written and the file is there), else
// empty.
std::string KeptLog(ConversionCore& core);
// The done box's text: its fixed words, then the summary on a line of its own.
std::string DoneBoxText(TvBool launch);

// The exit status of a run the user stopped: 128 + the signal (130 SIGINT, 143 SIGTERM).
int InterruptedExitStatus();
