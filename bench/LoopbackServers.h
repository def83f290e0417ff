#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace kestrune::bench {

// Listening sockets on 127.0.0.1 that accept and close every connection at once, so that the
// accept queues (limited by somaxconn) never overflow; and one bound socket that refuses.
class LoopbackServers {
public:
    explicit LoopbackServers(int listeners) {
        epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
        for (int i = 0; i < listeners; ++i) {
            const int fd = Bind(true);
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
        }
        refusing_ = Bind(false);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~LoopbackServers() {
        stop_ = true;
        acceptor_.join();
    }

    std::uint16_t ListeningPort(std::size_t i) const { return ports_[i % ports_.size()]; }
    std::uint16_t RefusingPort() const { return refusingPort_; }

private:
    int Bind(bool listen) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (fd < 0 || ::bind(fd, raw, length) != 0 || ::getsockname(fd, raw, &length) != 0 ||
            (listen && ::listen(fd, SOMAXCONN) != 0)) {
            std::perror("loopback socket");
            std::exit(1);
        }
        (listen ? ports_.emplace_back() : refusingPort_) = ntohs(address.sin_port);
        return fd;
    }

    void AcceptLoop() {
        epoll_event events[64];
        while (!stop_) {
            const int n = ::epoll_wait(epoll_, events, 64, 50);
            for (int i = 0; i < n; ++i) {
                int client;
                while ((client = ::accept4(events[i].data.fd, nullptr, nullptr, SOCK_CLOEXEC)) >=
                       0) {
                    ::close(client);
                }
            }
        }
    }

    int epoll_ = -1;
    int refusing_ = -1;
    std::vector<std::uint16_t> ports_;
    std::uint16_t refusingPort_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
};

}  // namespace kestrune::bench
