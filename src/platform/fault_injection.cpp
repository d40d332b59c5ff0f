#include "platform/fault_injection.h"

#include <map>
#include <mutex>

#include "platform/system_error.h"

namespace platform {

namespace {

struct InjectorState {
  std::mutex mutex;
  FaultPlan plan;
  uint64_t count = 0;
  uint64_t failures = 0;
  FaultInjector::Observer observer;
  std::map<FileHandle, std::string> paths;  // open handles, for the observer
};

InjectorState& State() {
  static InjectorState state;
  return state;
}

// Set while the observer runs, for the thread that runs it.
thread_local bool t_observedFails = false;

}  // namespace

void FaultInjector::Arm(const FaultPlan& plan) {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.plan = plan;
  s.count = 0;
  s.failures = 0;
}

void FaultInjector::Disarm() {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.plan = FaultPlan{};
}

uint64_t FaultInjector::Count() {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.count;
}

uint64_t FaultInjector::Failures() {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.failures;
}

void FaultInjector::SetObserver(Observer observer) {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.observer = std::move(observer);
}

bool FaultInjector::ObservedOperationFails() { return t_observedFails; }

bool ShouldFail(FileOp op, const std::string& path, FileHandle file) {
  InjectorState& s = State();
  FaultInjector::Observer observer;
  std::string knownPath;
  bool fail = false;
  uint32_t errorCode = 0;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.observer) {
      observer = s.observer;
      if (path.empty() && file != kInvalidFile) {
        auto it = s.paths.find(file);
        if (it != s.paths.end()) knownPath = it->second;
      }
    }
    if ((s.plan.ops & static_cast<uint32_t>(op)) != 0) {
      ++s.count;
      if (s.plan.failAt != 0 &&
          (s.count == s.plan.failAt || (s.plan.persistent && s.count > s.plan.failAt))) {
        fail = true;
        errorCode = s.plan.errorCode;
        ++s.failures;
      }
    }
  }
  // The observer runs outside the lock: it may itself touch files.
  if (observer) {
    t_observedFails = fail;
    observer(op, path.empty() ? knownPath : path, file);
    t_observedFails = false;
  }
  if (fail) SetLastError(errorCode);
  return fail;
}

void NoteOpened(FileHandle file, const std::string& path) {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.paths[file] = path;
}

void NoteClosed(FileHandle file) {
  InjectorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.paths.erase(file);
}

}  // namespace platform
