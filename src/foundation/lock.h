// A re-entrant lock (critical section) and a guard that holds it for a scope, on every way out.
#pragma once

#include <mutex>
#include <string>

class TvCriticalSection {
 public:
  void Enter() { m_mutex.lock(); }
  void Leave() { m_mutex.unlock(); }

 private:
  std::recursive_mutex m_mutex;
};

class TvLockGuard {
 public:
  // label names the holder, for debugging only.
  TvLockGuard(const char* label, TvCriticalSection& lock) : m_label(label), m_lock(lock) {
    m_lock.Enter();
  }
  ~TvLockGuard() { m_lock.Leave(); }
  TvLockGuard(const TvLockGuard&) = delete;
  TvLockGuard& operator=(const TvLockGuard&) = delete;

 private:
  const char* m_label;
  TvCriticalSection& m_lock;
};
