#include "probe/ProbeEnvironment.h"

#include <thread>
#include <utility>

#include "probe/TryTcpConnect.h"

namespace kestrune {

ProbeEnvironment DefaultProbeEnvironment() {
    return {
        [](std::function<void()> work) { std::thread(std::move(work)).detach(); },
        &TryTcpConnect,
    };
}

}  // namespace kestrune
