// The Client and Server commands: the two roles never run together, and a running role
// is stopped by its flag, a bounded wait and, if need be, termination.
#pragma once

namespace korvo {

void clientCommand();
void serverCommand();

// The Server command without its test for a running client: what "start as server"
// runs at start-up.
void startOrStopServer();

// How often the stop sequences sleep shortTickMs before they terminate a role thread.
inline constexpr int kStopWaitTicks = 101;

}  // namespace korvo
