#include "probe/ProbeEnvironment.h"

#include <thread>
#include <utility>

#include "platform/ThreadPriority.h"
#include "probe/TryTcpConnect.h"

namespace kestrune {

ProbeEnvironment DefaultProbeEnvironment() {
    return {
        [](std::function<void()> work) {
            std::thread([work = std::move(work)] {
                // Probing is background work: the GUI thread comes first.
                LowerThreadPriority();
                work();
            }).detach();
        },
        &TryTcpConnect,
    };
}

}  // namespace kestrune
