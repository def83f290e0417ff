#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kestrune::testing {

// A TCP socket on 127.0.0.1 and a free port: listening; only bound, so that connections to its
// port are refused; or listening with a full accept queue, so that a connection attempt gets no
// answer and waits, as for a host that does not answer. Loopback only: tests never reach another
// address.
class LoopbackSocket {
public:
    static LoopbackSocket Listening() { return LoopbackSocket(Kind::Listening); }
    static LoopbackSocket Refusing() { return LoopbackSocket(Kind::Refusing); }
    static LoopbackSocket Silent() { return LoopbackSocket(Kind::Silent); }

    LoopbackSocket(LoopbackSocket&& other) noexcept
        : fd_(other.fd_), filler_(other.filler_), port_(other.port_) {
        other.fd_ = -1;
        other.filler_ = -1;
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;
    ~LoopbackSocket() {
        if (filler_ >= 0) {
            ::close(filler_);
        }
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

    // Whether a connection attempt to the port waits for its answer (a socket in SYN-SENT).
    bool HasWaitingAttempt() const {
        std::ifstream table("/proc/self/net/tcp");
        char wanted[16];
        std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port_);
        std::string line;
        while (std::getline(table, line)) {
            char remote[64] = {};
            unsigned state = 0;
            if (std::sscanf(line.c_str(), " %*d: %*s %63s %x", remote, &state) == 2 &&
                std::string(remote) == wanted && state == 0x02) {
                return true;
            }
        }
        return false;
    }

private:
    enum class Kind { Listening, Refusing, Silent };

    explicit LoopbackSocket(Kind kind) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (fd_ < 0 || ::bind(fd_, raw, length) != 0 || ::getsockname(fd_, raw, &length) != 0) {
            std::abort();
        }
        port_ = ntohs(address.sin_port);
        if (kind == Kind::Listening && ::listen(fd_, SOMAXCONN) != 0) {
            std::abort();
        }
        // A backlog of 0 holds one connection; the filler takes that place.
        if (kind == Kind::Silent) {
            filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (filler_ < 0 || ::listen(fd_, 0) != 0 || ::connect(filler_, raw, length) != 0) {
                std::abort();
            }
        }
    }

    int fd_ = -1;
    int filler_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace kestrune::testing
