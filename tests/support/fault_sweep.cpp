#include "support/fault_sweep.h"

#include <gtest/gtest.h>

namespace tvtest {

namespace {

platform::FaultPlan Plan(platform::SysError error, uint64_t failAt, bool persistent) {
  platform::FaultPlan plan;
  plan.failAt = failAt;
  plan.errorCode = platform::ErrorCode(error);
  plan.persistent = persistent;
  return plan;
}

}  // namespace

ScopedFault::ScopedFault(const platform::FaultPlan& plan) { platform::FaultInjector::Arm(plan); }

ScopedFault::ScopedFault(platform::SysError error, uint64_t failAt, bool persistent)
    : ScopedFault(Plan(error, failAt, persistent)) {}

ScopedFault::ScopedFault(platform::FileOp op, platform::SysError error, uint64_t failAt,
                         bool persistent) {
  platform::FaultPlan plan = Plan(error, failAt, persistent);
  plan.ops = static_cast<uint32_t>(op);
  platform::FaultInjector::Arm(plan);
}

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

SweepStats SweepFaults(const std::vector<FaultMode>& modes, const std::function<void()>& prepare,
                       const std::function<void()>& run,
                       const std::function<void(const FaultPoint&)>& check, uint64_t stride,
                       uint64_t limit) {
  SweepStats stats;
  for (const FaultMode& mode : modes) {
    uint64_t k = 1;
    for (; k < limit; k += stride) {
      if (::testing::Test::HasFailure()) return stats;
      prepare();
      uint64_t failures;
      {
        ScopedFault fault(mode.error, k, mode.persistent);
        run();
        failures = fault.Failures();
      }
      ++stats.runs;
      if (failures == 0) break;
      ++stats.points;
      check(FaultPoint{mode, k});
    }
    EXPECT_LT(k, limit) << mode.name << ": the sweep never ran out of operations";
  }
  return stats;
}

}  // namespace tvtest
