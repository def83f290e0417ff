#pragma once

#include <memory>

#include "core/ServerList.h"
#include "probe/ProbeEnvironment.h"
#include "probe/ProbeView.h"

namespace kestrune {

// GUI thread: starts one worker per row of the view (the row count is read once), in ascending
// order, each running ProbeServer for its row's position, and returns without waiting for any.
// A worker that cannot be started is skipped; its row keeps its status. The workers share the
// list and the view, so neither is released under them.
void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view);

// The same with the thread start and the attempt given.
void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view,
              const ProbeEnvironment& environment);

}  // namespace kestrune
