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
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return g_stopSignal != 0; }
int StopSignal() { return g_stopSignal; }
void SetStopRequest(int signal) { g_stopSignal = signal; }

}  // namespace platform
