#include "foundation/run_outcome.h"

#include "platform/interrupt.h"

namespace {
TvRunOutcome g_outcome;
}

TvRunOutcome& RunOutcome() { return g_outcome; }
void ResetRunOutcome() { g_outcome = TvRunOutcome{}; }
void CountFailure() { ++g_outcome.failures; }

bool StopIfRequested() {
  if (platform::StopRequested()) g_outcome.interrupted = true;
  return g_outcome.interrupted;
}
