#include "foundation/run_outcome.h"

namespace {
TvRunOutcome g_outcome;
}

TvRunOutcome& RunOutcome() { return g_outcome; }
void ResetRunOutcome() { g_outcome = TvRunOutcome{}; }
void CountFailure() { ++g_outcome.failures; }
