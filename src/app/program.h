// The program's entry and exit: start-up, the wait for the exit request, the orderly
// shutdown and the emergency exit.
#pragma once

namespace korvo {

inline constexpr int kExitOrderly = 1;
inline constexpr int kExitRefused = 0;
inline constexpr int kExitEmergency = 0;

// Runs the whole program on the process's main thread; never returns.
[[noreturn]] void runProgram();

// Start-up up to the start of the GUI. False when start-up refuses to go on (another
// instance runs); the caller then ends with kExitRefused.
bool startUp();

// Waits until exitRequested, then half a second more, then shuts down and ends the
// process with kExitOrderly. Never returns; a second caller waits for the first.
[[noreturn]] void waitForExitAndShutDown();

// What shutdown does before the process ends: stop what still runs, close the network,
// delete the temporary frame file.
void shutDownRoles();

// Runs when a processor fault hits any thread; ends the process with kExitEmergency.
void emergencyExit();

}  // namespace korvo
