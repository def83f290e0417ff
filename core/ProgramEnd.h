#pragma once

#include <functional>

namespace kestrune {

// The exit clean-up, registered once at start.
void RegisterExitCleanup(std::function<void()> cleanup);

// Ends the program from anywhere: runs the exit clean-up, flushes the standard streams and ends
// the process without running static destructors, so that probe workers still waiting on the
// network never race a destructor.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace kestrune
