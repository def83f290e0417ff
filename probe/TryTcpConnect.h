#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kestrune {

// How long one attempt waits for an answer: about as long as Windows waits by default for an
// unanswered connect (a SYN and two retransmissions, 3 + 6 + 12 seconds), not the two minutes of
// Linux's default SYN retries. It is a deadline on a non-blocking connect, so it is the same on
// every kernel: TCP_SYNCNT only offers steps of 15 or 31 seconds, and TCP_USER_TIMEOUT depends
// on how the kernel clamps its retransmission timer.
inline constexpr std::chrono::milliseconds kAttemptTimeLimit{21000};

// The TCP port an attempt uses for a converted port text: below 1 counts as 1, and only the low
// 16 bits are used.
std::uint16_t AttemptPort(std::int32_t port);

// One TCP connection attempt to `address` (a numeric IPv4 address or a host name, resolved in
// the calling thread) on AttemptPort(port). True when the connection was established; it is
// closed at once, as nothing is sent on it. An empty address fails without any traffic.
bool TryTcpConnect(const std::string& address, std::int32_t port);

}  // namespace kestrune
