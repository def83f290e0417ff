#include "probe/TryTcpConnect.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/Network.h"
#include "tests/support/LoopbackSocket.h"

namespace kestrune {
namespace {

using testing::LoopbackSocket;

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(TryTcpConnect, ConnectsToAListeningPortInEveryNumericForm) {
    const LoopbackSocket listener = LoopbackSocket::Listening();
    const std::int32_t port = listener.port();
    for (const char* address : {"127.0.0.1", "127.1", "0x7f.0.0.1", "0177.0.0.1", "2130706433"}) {
        SCOPED_TRACE(address);
        EXPECT_TRUE(TryTcpConnect(address, port));
    }
    // Only the low 16 bits of the port count.
    EXPECT_TRUE(TryTcpConnect("127.0.0.1", port + 65536));
}

TEST(TryTcpConnect, RefusedPortFails) {
    const LoopbackSocket refusing = LoopbackSocket::Refusing();
    EXPECT_FALSE(TryTcpConnect("127.0.0.1", refusing.port()));
}

// The attempt ends at its deadline when no answer comes (here a short one, so that the test does
// not wait the full time; without a deadline it would wait for the kernel's retries).
TEST(TryTcpConnect, UnansweredAttemptEndsAtItsDeadline) {
    const LoopbackSocket silent = LoopbackSocket::Silent();
    const auto address = ParseNumericIpv4("127.0.0.1");
    ASSERT_TRUE(address);
    EXPECT_FALSE(ConnectTcp(*address, silent.port(), std::chrono::milliseconds(200)));
}

TEST(TryTcpConnect, EmptyOrAnyAddressFailsWithoutTraffic) {
    const LoopbackSocket listener = LoopbackSocket::Listening();
    EXPECT_FALSE(TryTcpConnect("", listener.port()));
    EXPECT_FALSE(TryTcpConnect(std::string("\0"
                                           "127.0.0.1",
                                           10),
                               listener.port()));
    // The any address names no server; Linux alone would take it for this machine, where the
    // listener waits.
    EXPECT_FALSE(TryTcpConnect("0.0.0.0", listener.port()));
    EXPECT_FALSE(TryTcpConnect("0", listener.port()));
    EXPECT_FALSE(listener.HasPendingConnection());
}

TEST(TryTcpConnect, ClosesEverySocket) {
    const LoopbackSocket listener = LoopbackSocket::Listening();
    const LoopbackSocket refusing = LoopbackSocket::Refusing();
    const std::size_t before = OpenDescriptors();
    EXPECT_TRUE(TryTcpConnect("127.0.0.1", listener.port()));
    EXPECT_FALSE(TryTcpConnect("127.0.0.1", refusing.port()));
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(TryTcpConnect, EstablishedConnectionIsClosedAtOnce) {
    const LoopbackSocket listener = LoopbackSocket::Listening();
    ASSERT_TRUE(TryTcpConnect("127.0.0.1", listener.port()));
    const int accepted = ::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(accepted, 0);
    // Nothing was sent, and the peer has already closed: the read sees the end. The poll only
    // turns a hang into a failure.
    pollfd entry{accepted, POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 30000), 1);
    char byte = 0;
    EXPECT_EQ(::read(accepted, &byte, 1), 0);
    ::close(accepted);
}

}  // namespace
}  // namespace kestrune
