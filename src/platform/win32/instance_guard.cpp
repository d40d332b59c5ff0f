#include "platform/instance_guard.h"

#include <windows.h>

namespace platform {

std::string InstanceGuardPath(const std::string&) { return std::string(); }

InstanceGuard::~InstanceGuard() { Release(); }

GuardResult InstanceGuard::Acquire(const std::string& name) {
  Release();
  HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
  DWORD error = ::GetLastError();
  if (mutex == nullptr) return GuardResult::kUnavailable;
  m_handle = reinterpret_cast<std::intptr_t>(mutex);
  if (error == ERROR_ALREADY_EXISTS) {
    // Not ours: the creation did not take ownership of an existing mutex.
    m_owned = false;
    return GuardResult::kAlreadyRunning;
  }
  m_owned = true;
  return GuardResult::kAcquired;
}

void InstanceGuard::Release() {
  if (m_handle == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(m_handle);
  if (m_owned) ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
  m_handle = -1;
  m_owned = false;
}

void InstanceGuard::Abandon() {
  m_handle = -1;
  m_owned = false;
}

}  // namespace platform
