// A request from the user to stop the run early (POSIX: SIGINT or SIGTERM). The conversion asks
// between messages and batches, finishes what it has started and stops; a second signal ends the
// process at once. On Windows nothing raises the request.
#pragma once

namespace platform {

// Installs the handlers (POSIX); harmless when called twice.
void InstallStopHandlers();
// Puts the system's default actions back (a signal then ends the process at once); a stop
// already requested stays requested.
void RemoveStopHandlers();
// True once a stop was requested.
bool StopRequested();
// The signal that asked for the stop (SIGINT, SIGTERM), 0 when none.
int StopSignal();
// For tests: request or clear a stop as a signal would.
void SetStopRequest(int signal);

}  // namespace platform
