#include "foundation/progress.h"

namespace {
TvProgress g_silent;
TvProgress* g_progress = &g_silent;
}  // namespace

TvProgress& Progress() { return *g_progress; }

TvProgress* SetProgress(TvProgress* progress) {
  TvProgress* previous = g_progress;
  g_progress = progress != nullptr ? progress : &g_silent;
  return previous == &g_silent ? nullptr : previous;
}
