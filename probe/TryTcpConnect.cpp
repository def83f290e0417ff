#include "probe/TryTcpConnect.h"

#include <optional>

#include "platform/Network.h"

namespace kestrune {

std::uint16_t AttemptPort(std::int32_t port) {
    return static_cast<std::uint16_t>(port < 1 ? 1 : port);
}

bool TryTcpConnect(const std::string& address, std::int32_t port) {
    const std::uint16_t target = AttemptPort(port);
    // The platform calls read the text up to its first zero byte; so does the emptiness check.
    if (address.empty() || address.front() == '\0') {
        return false;
    }
    std::optional<Ipv4Address> ip = ParseNumericIpv4(address);
    if (!ip) {
        ip = ResolveIpv4(address);
    }
    return ip && ConnectTcp(*ip, target, kAttemptTimeLimit);
}

}  // namespace kestrune
