#pragma once

namespace kestrune {

struct AppState;

// The start-up sequence from the windowing layer's start to the end of the message loop. It
// never returns: every way out runs the exit clean-up and ends the process.
[[noreturn]] void RunProgram(int argc, char** argv);

// The start-up routine (reading the settings, the gate, opening the main window) on an existing
// application object; returns whether the main window was opened. Split out for tests.
bool RunStartupRoutine(AppState& state);

}  // namespace kestrune
