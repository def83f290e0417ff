#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// An IPv4 address in network byte order.
using Ipv4Address = std::uint32_t;

// The address of a numeric IPv4 text in one of the forms the platform's address parser accepts
// (dotted decimal such as "127.0.0.1", and the shorter, octal and hexadecimal forms); nothing for
// any other text. The text ends at its first zero byte.
std::optional<Ipv4Address> ParseNumericIpv4(const std::string& text);

// The first IPv4 address of a host name, looked up with the thread-safe resolver; nothing when
// the lookup fails. Blocks for as long as the lookup takes: call it off the GUI thread.
std::optional<Ipv4Address> ResolveIpv4(const std::string& name);

// One TCP connection attempt (close-on-exec socket); true when the connection was established.
// The any address 0.0.0.0 fails at once, as it names no remote host.
// The socket is closed before returning, whatever the outcome: nothing is sent or read. An
// attempt that has no answer within `timeLimit` fails.
bool ConnectTcp(Ipv4Address address, std::uint16_t port, std::chrono::milliseconds timeLimit);

}  // namespace kestrune
