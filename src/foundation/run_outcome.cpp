#include "foundation/run_outcome.h"

#include "platform/interrupt.h"
#include "platform/ui.h"

namespace {

TvRunOutcome g_outcome;
std::vector<std::string> g_firstFailures;

// Every error or warning box counts as one reported failure, wherever it is raised: the user
// interface tells this tally of each one. Installed before main, so no box can be missed.
[[maybe_unused]] const bool g_countsFailureBoxes =
    (platform::SetFailureBoxObserver(&CountFailure), true);

}  // namespace

TvRunOutcome& RunOutcome() { return g_outcome; }
void ResetRunOutcome() {
  g_outcome = TvRunOutcome{};
  g_firstFailures.clear();
}
const std::vector<std::string>& FirstFailures() { return g_firstFailures; }
void CountFailure(const std::string& what) {
  ++g_outcome.failures;
  if (g_firstFailures.size() < kKeptFailureTexts) g_firstFailures.push_back(what);
}

bool StopIfRequested() {
  if (platform::StopRequested()) g_outcome.interrupted = true;
  return g_outcome.interrupted;
}
