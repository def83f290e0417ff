#include "platform/Network.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/Descriptor.h"

namespace kestrune {

namespace {

// Waits until the pending connect on `fd` has its answer or the deadline has passed.
bool AwaitConnect(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
}

}  // namespace

std::optional<Ipv4Address> ParseNumericIpv4(const std::string& text) {
    in_addr address{};
    if (::inet_aton(text.c_str(), &address) == 0) {
        return std::nullopt;
    }
    return address.s_addr;
}

std::optional<Ipv4Address> ResolveIpv4(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &answer) != 0 || answer == nullptr) {
        return std::nullopt;
    }
    std::optional<Ipv4Address> first;
    if (answer->ai_family == AF_INET && answer->ai_addr != nullptr) {
        first = reinterpret_cast<const sockaddr_in*>(answer->ai_addr)->sin_addr.s_addr;
    }
    ::freeaddrinfo(answer);
    return first;
}

bool ConnectTcp(Ipv4Address address, std::uint16_t port, std::chrono::milliseconds timeLimit) {
    // The any address names no server: Windows refuses to connect to it, while Linux would take
    // it for this machine and find a local listener there.
    if (address == htonl(INADDR_ANY)) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    // Non-blocking only so that the attempt can end at our own time limit instead of after the
    // kernel's retries; it is still one connect.
    Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0) {
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return true;
    }
    // After EINTR a non-blocking connect goes on in the background, as after EINPROGRESS.
    if (errno != EINPROGRESS && errno != EINTR) {
        return false;
    }
    return AwaitConnect(socket.get(), deadline);
}

}  // namespace kestrune
