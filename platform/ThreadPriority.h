#pragma once

namespace kestrune {

// Puts the calling thread below the GUI thread in the scheduler's favour, for background work
// that must never hold up input and painting. Threads it starts afterwards inherit the setting.
// Nothing happens when the platform refuses.
void LowerThreadPriority();

}  // namespace kestrune
