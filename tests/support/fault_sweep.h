// Faults for tests: ScopedFault arms the fault injector for one scope, and SweepFaults makes file
// operation k fail, for k = 1, 2, ... until a run no longer reaches a fault, under several modes.
// SweepPoints is the loop under it, also for a sweep that arms point k its own way (a power cut).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/system_error.h"

namespace tvtest {

// Arms the injector with the plan when made, disarms it when destroyed.
class ScopedFault {
 public:
  explicit ScopedFault(const platform::FaultPlan& plan);
  // The failAt-th operation of kind op fails with error; with persistent, every one from it on.
  ScopedFault(platform::FileOp op, platform::SysError error, uint64_t failAt = 1,
              bool persistent = false);
  ~ScopedFault();
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

  uint64_t Failures() const;  // operations made to fail so far
};

// One way of failing: a system error, at operation k only or at every operation from k on,
// counting only the operations of the kinds in ops (FileOp bits).
struct FaultMode {
  const char* name;
  platform::SysError error;
  bool persistent;
  uint32_t ops = platform::kAllFileOps;
};

// A failed write, a full disk, a denied access and a sharing violation, each once and persistent.
std::vector<FaultMode> EveryFaultMode();

struct FaultPoint {
  FaultMode mode;
  uint64_t k;  // the operation that failed first
  // "disk full, operation 7" or "disk full, from operation 7".
  std::string Where() const;
};

struct SweepStats {
  uint64_t points = 0;  // runs that reached a fault
  uint64_t runs = 0;
};

// For k = 1, 1 + stride, ...: prepare(), then runArmedAt(k) runs with point k armed and says
// whether it reached the fault; when it did, check(k). Ends with the first run that reaches no
// fault (the test fails when none does below limit) or at the first failure, reported alone.
SweepStats SweepPoints(const char* name, const std::function<void()>& prepare,
                       const std::function<bool(uint64_t k)>& runArmedAt,
                       const std::function<void(uint64_t k)>& check, uint64_t stride = 1,
                       uint64_t limit = 20000);

// SweepPoints for every mode, with run() under the mode's fault armed at k, and check(point)
// with the injector disarmed.
SweepStats SweepFaults(const std::vector<FaultMode>& modes, const std::function<void()>& prepare,
                       const std::function<void()>& run,
                       const std::function<void(const FaultPoint&)>& check, uint64_t stride = 1,
                       uint64_t limit = 20000);

}  // namespace tvtest
