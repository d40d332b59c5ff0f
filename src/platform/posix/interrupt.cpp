#include "platform/interrupt.h"

#include <csignal>

namespace platform {
namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
  if (g_stopSignal != 0) {
    // A second request ends the process at once, with the usual status of that signal.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  g_stopSignal = signal;
}

}  // namespace

void InstallStopHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  // The conversion goes on to the end of its message: a read, write or lock it is waiting in
  // resumes instead of failing with EINTR.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void RemoveStopHandlers() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool StopRequested() { return g_stopSignal != 0; }
int StopSignal() { return g_stopSignal; }
void SetStopRequest(int signal) { g_stopSignal = signal; }

}  // namespace platform
