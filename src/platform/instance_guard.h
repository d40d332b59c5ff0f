// The process-wide single-instance guard.
//
// Windows: the named mutex, created owned. POSIX: an exclusive flock on
// ${XDG_RUNTIME_DIR:-${TMPDIR:-/tmp}}/<name>.lock, kept until Release or the end of the process
// (the lock file itself stays, so that no second copy can race a deletion).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class GuardResult {
  kAcquired,        // this process holds the guard
  kAlreadyRunning,  // another process holds it
  kUnavailable,     // the guard could not be made; the caller goes on without it
};

class InstanceGuard {
 public:
  InstanceGuard() = default;
  ~InstanceGuard();  // releases what is still held
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  GuardResult Acquire(const std::string& name);
  // Releases the guard and closes it. Harmless when nothing is held.
  void Release();
  // After kAlreadyRunning on Windows the handle stays open until the process ends, as the system
  // keeps it anyway; Abandon forgets it without closing.
  void Abandon();

 private:
  std::intptr_t m_handle = -1;
  bool m_owned = false;
};

// Where the POSIX lock file of a guard lives (empty on Windows).
std::string InstanceGuardPath(const std::string& name);

}  // namespace platform
