#include "support/fault_sweep.h"

#include <gtest/gtest.h>

namespace tvtest {

namespace {

platform::FaultPlan Plan(platform::SysError error, uint64_t failAt, bool persistent, uint32_t ops) {
  platform::FaultPlan plan;
  plan.ops = ops;
  plan.failAt = failAt;
  plan.errorCode = platform::ErrorCode(error);
  plan.persistent = persistent;
  return plan;
}

}  // namespace

ScopedFault::ScopedFault(const platform::FaultPlan& plan) { platform::FaultInjector::Arm(plan); }

ScopedFault::ScopedFault(platform::FileOp op, platform::SysError error, uint64_t failAt,
                         bool persistent)
    : ScopedFault(Plan(error, failAt, persistent, static_cast<uint32_t>(op))) {}

ScopedFault::~ScopedFault() { platform::FaultInjector::Disarm(); }

uint64_t ScopedFault::Failures() const { return platform::FaultInjector::Failures(); }

std::vector<FaultMode> EveryFaultMode() {
  std::vector<FaultMode> modes;
  for (const auto& [name, error] :
       {std::pair{"write fault", platform::SysError::kWriteFault},
        std::pair{"disk full", platform::SysError::kDiskFull},
        std::pair{"access denied", platform::SysError::kAccessDenied},
        std::pair{"sharing violation", platform::SysError::kSharingViolation}}) {
    modes.push_back({name, error, false});
    modes.push_back({name, error, true});
  }
  return modes;
}

std::string FaultPoint::Where() const {
  return std::string(mode.name) + (mode.persistent ? ", from operation " : ", operation ") +
         std::to_string(k);
}

SweepStats SweepPoints(const char* name, const std::function<void()>& prepare,
                       const std::function<bool(uint64_t k)>& runArmedAt,
                       const std::function<void(uint64_t k)>& check, uint64_t stride,
                       uint64_t limit) {
  SweepStats stats;
  uint64_t k = 1;
  for (; k < limit; k += stride) {
    if (::testing::Test::HasFailure()) return stats;
    prepare();
    if (::testing::Test::HasFailure()) return stats;
    const bool reached = runArmedAt(k);
    ++stats.runs;
    if (!reached) break;
    ++stats.points;
    check(k);
  }
  EXPECT_LT(k, limit) << name << ": the sweep never ran out of operations";
  return stats;
}

SweepStats SweepFaults(const std::vector<FaultMode>& modes, const std::function<void()>& prepare,
                       const std::function<void()>& run,
                       const std::function<void(const FaultPoint&)>& check, uint64_t stride,
                       uint64_t limit) {
  SweepStats stats;
  for (const FaultMode& mode : modes) {
    const auto runArmedAt = [&](uint64_t k) {
      ScopedFault fault(Plan(mode.error, k, mode.persistent, mode.ops));
      run();
      return fault.Failures() != 0;
    };
    const auto checkPoint = [&](uint64_t k) { check(FaultPoint{mode, k}); };
    const SweepStats one = SweepPoints(mode.name, prepare, runArmedAt, checkPoint, stride, limit);
    stats.points += one.points;
    stats.runs += one.runs;
  }
  return stats;
}

}  // namespace tvtest
