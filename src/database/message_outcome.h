// What became of one old message file: one value the walk emits once. The conversion's log
// writes its lines (at the place kept for them), the run's tally adds its count, and a listener
// (zvtool check's collector) hears it whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/list_plan.h"
#include "messages/message_batch.h"
#include "messages/old_message_format.h"

struct TvMessageOutcome {
  enum class What { kConverted, kNotLoaded, kNotSaved };

  What what = What::kConverted;
  std::string oldPath;
  std::string newPath;  // where its new file belongs; empty when it was not loaded
  TvMessageBatch::Refusal refusal = TvMessageBatch::Refusal::kNone;  // kNotSaved: why
  msg30::Problem problem;                                            // kNotLoaded: why
  uint64_t bytes = 0;                                                // the new file's length
  uint64_t replacedBytes = 0;  // the length of a 3.1 file with the very bytes it replaces, else 0
  std::vector<TvPlannedLine> lines;  // its log lines, in order

  bool Converted() const { return what == What::kConverted; }
};
