#pragma once

#include <memory>

#include "core/ServerList.h"
#include "probe/ProbeEnvironment.h"
#include "probe/ProbeView.h"

namespace kestrune {

// GUI thread: reads the row count of the view once and returns at once. A starter thread (the
// GUI thread itself when no starter can be started) then gives every row, in ascending order, a
// worker of its own that runs ProbeServer for the row's position: a new thread, or one whose own
// row is done and that waits for another while rows are still being given out. Every attempt thus
// starts at once, however many others wait on the network. When no worker can be found for a
// row, the row is skipped and keeps its status. Nothing waits for the workers; they share the list
// and the view, so neither is released under them.
void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view);

// The same with the thread start and the attempt given; the starter is started with
// `environment.startThread` too, before any worker.
void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view,
              const ProbeEnvironment& environment);

}  // namespace kestrune
