#include "platform/interrupt.h"

namespace platform {
namespace {
int g_stopSignal = 0;
}

// A GUI program has no console signals; only tests raise the request.
void InstallStopHandlers() {}
void RemoveStopHandlers() {}
bool StopRequested() { return g_stopSignal != 0; }
int StopSignal() { return g_stopSignal; }
void SetStopRequest(int signal) { g_stopSignal = signal; }

}  // namespace platform
