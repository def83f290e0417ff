#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace kestrune::testing {

// A TCP socket on 127.0.0.1 and a free port: listening, or only bound so that connections to its
// port are refused. Loopback only: tests never reach another address.
class LoopbackSocket {
public:
    static LoopbackSocket Listening() { return LoopbackSocket(true); }
    static LoopbackSocket Refusing() { return LoopbackSocket(false); }

    LoopbackSocket(LoopbackSocket&& other) noexcept : fd_(other.fd_), port_(other.port_) {
        other.fd_ = -1;
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;
    ~LoopbackSocket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int fd() const { return fd_; }
    std::uint16_t port() const { return port_; }

    // Whether a connection waits in the accept queue; never blocks.
    bool HasPendingConnection() const {
        pollfd entry{fd_, POLLIN, 0};
        return ::poll(&entry, 1, 0) == 1;
    }

private:
    explicit LoopbackSocket(bool listen) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (fd_ < 0 || ::bind(fd_, raw, length) != 0 || ::getsockname(fd_, raw, &length) != 0 ||
            (listen && ::listen(fd_, SOMAXCONN) != 0)) {
            std::abort();
        }
        port_ = ntohs(address.sin_port);
    }

    int fd_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace kestrune::testing
