#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kestrune {

// One connection attempt: address text and converted port in, established or not out.
using ConnectAttempt = std::function<bool(const std::string& address, std::int32_t port)>;

// What the probe takes from the system: how a worker is started and how an attempt is made.
// Tests replace them to make a start fail or an attempt wait until released.
struct ProbeEnvironment {
    // Runs `work` on a thread of its own and returns without waiting for it; throws
    // std::system_error when no thread can be started.
    std::function<void(std::function<void()> work)> startThread;
    ConnectAttempt tryConnect;
};

// A detached std::thread with the default stack size, below the GUI thread in priority, and
// TryTcpConnect.
ProbeEnvironment DefaultProbeEnvironment();

}  // namespace kestrune
