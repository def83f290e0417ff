// Connect, end to end on loopback: Kestrune's main window reads ms.ini, the user selects the row
// and presses Enter; the launcher writes the connection file and starts the Windows client's
// name, which resolves to kestrune-rdp beside this program; the adapter runs FreeRDP's X11
// client against FreeRDP's shadow server, which asks for NLA against a SAM file. The xfreerdp on
// PATH is a wrapper that adds "+auth-only" and records the real client's status. The window runs
// on the offscreen platform; the client gets the test's own X display.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/StartSequence.h"
#include "core/AppState.h"
#include "core/LaunchOptions.h"
#include "core/ServerList.h"
#include "core/SettingsFile.h"
#include "platform/FileSystem.h"
#include "platform/ProcessStart.h"
#include "platform/TempFiles.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/Isolation.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"

extern char** environ;

namespace kestrune {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kAccount = "tester";
constexpr const char* kPassword = "Secret123";
// Every wait below only turns a hang into a failure.
constexpr auto kGuard = std::chrono::seconds(90);

// Polls `done` until it holds or the guard runs out.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kGuard;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A process of the test's own: ended (terminated, then killed) and reaped when it goes out of
// scope, on every way out of a test.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, 0)) {}
    Child& operator=(Child&& other) noexcept {
        Stop();
        pid_ = std::exchange(other.pid_, 0);
        return *this;
    }
    ~Child() { Stop(); }

    // `outputPath`: where its standard output and error go; `passFd` is given to it as fd 3.
    static std::optional<Child> Start(const std::vector<std::string>& argv,
                                      const std::string& outputPath, int passFd = -1) {
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (passFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, passFd, 3);
        }
        pid_t pid = 0;
        const int error =
            ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            return std::nullopt;
        }
        Child child;
        child.pid_ = pid;
        return child;
    }

    bool Running() {
        if (pid_ <= 0) {
            return false;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            return false;
        }
        return true;
    }

    void Stop() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }

private:
    pid_t pid_ = 0;
};

// Runs a program to its end and gives its standard output.
std::optional<std::string> Capture(const std::vector<std::string>& argv) {
    const std::string out = testing::TestRoot() + "/capture.out";
    ::unlink(out.c_str());
    std::optional<Child> child = Child::Start(argv, out);
    if (!child || !WaitFor([&] { return !child->Running(); })) {
        return std::nullopt;
    }
    return ReadWholeFile(out);
}

std::uint16_t UnusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool Accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// What the wrapper saw of one client run.
struct ClientRecord {
    int status = -1;
    std::vector<std::string> arguments;
    std::string copyMode;
    std::string copyText;
};

class RdpLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::TestRoot();
        for (const char* program : {"Xvfb", "freerdp-shadow-cli", "winpr-hash", "xfreerdp"}) {
            ASSERT_FALSE(FindProgram(program).empty())
                << program << " is missing: ./test installs xvfb, freerdp2-shadow-x11, "
                << "winpr-utils and freerdp2-x11";
        }
        realClient_ = FindProgram("xfreerdp");
        ASSERT_NO_FATAL_FAILURE(StartDisplay());
        ASSERT_NO_FATAL_FAILURE(StartServer());
        ASSERT_NO_FATAL_FAILURE(InstallWrapper());
    }

    // An X display of our own: FreeRDP's client needs one even to authenticate only, and the
    // shadow server shows it.
    void StartDisplay() {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        std::optional<Child> xvfb =
            Child::Start({FindProgram("Xvfb"), "-displayfd", "3", "-screen", "0", "1024x768x24",
                          "-nolisten", "tcp", "-noreset"},
                         root_ + "/xvfb.log", fds[1]);
        ::close(fds[1]);
        std::string number;
        pollfd readable{fds[0], POLLIN, 0};
        char c = 0;
        while (number.find('\n') == std::string::npos &&
               ::poll(&readable, 1, static_cast<int>(kGuard / std::chrono::milliseconds(1))) > 0 &&
               ::read(fds[0], &c, 1) == 1) {
            number.push_back(c);
        }
        ::close(fds[0]);
        ASSERT_TRUE(xvfb && !number.empty() && number.back() == '\n')
            << ReadWholeFile(root_ + "/xvfb.log").value_or("");
        number.pop_back();
        xvfb_ = std::move(*xvfb);
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void StartServer() {
        const std::optional<std::string> sam =
            Capture({FindProgram("winpr-hash"), "-u", kAccount, "-p", kPassword, "-f", "sam"});
        ASSERT_TRUE(sam && sam->starts_with(std::string(kAccount) + ":"));
        const std::string samPath = root_ + "/sam";
        std::ofstream(samPath) << *sam;
        // A port that was free a moment ago may be taken by then: try a few.
        for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
            const std::uint16_t port = UnusedLoopbackPort();
            ASSERT_NE(port, 0);
            std::optional<Child> server = Child::Start(
                {FindProgram("freerdp-shadow-cli"), "/bind-address:127.0.0.1",
                 "/port:" + std::to_string(port), "+auth", "/sec:nla", "/sam-file:" + samPath},
                root_ + "/server.log");
            ASSERT_TRUE(server);
            ASSERT_TRUE(WaitFor([&] { return Accepts(port) || !server->Running(); }));
            if (server->Running()) {
                server_ = std::move(*server);
                port_ = port;
            }
        }
        ASSERT_NE(port_, 0) << ReadWholeFile(root_ + "/server.log").value_or("");
    }

    void InstallWrapper() {
        const std::string bin = root_ + "/bin";
        std::filesystem::create_directories(bin);
        record_ = root_ + "/client.record";
        const std::string wrapper = bin + "/xfreerdp";
        std::ofstream(wrapper) << "#!/bin/sh\n"
                               << "record='" << record_ << "'\n"
                               << "stat -c %a \"$1\" > \"$record.mode\"\n"
                               << "cp \"$1\" \"$record.copy\"\n"
                               << "'" << realClient_ << "' \"$@\" +auth-only\n"
                               << "status=$?\n"
                               << "{ echo \"$status\"; printf '%s\\n' \"$@\"; } > \"$record.tmp\"\n"
                               << "mv \"$record.tmp\" \"$record\"\n"
                               << "exit $status\n";
        ASSERT_EQ(::chmod(wrapper.c_str(), 0755), 0);
        const char* path = std::getenv("PATH");
        ::setenv("PATH", (bin + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str(), 1);
    }

    // As the user does: ms.ini holds the server with the given stored password, with console
    // and 1024*768 checked; Kestrune starts, the row turns online, the user selects it and
    // presses Enter. Gives what the client did.
    ClientRecord Connect(const std::string& storedPassword) {
        ServerList servers;
        servers.Append(
            testing::Server("127.0.0.1", std::to_string(port_), kAccount, storedPassword));
        LaunchOptionValues options;
        options.console = true;
        options.r1024x768 = true;
        EXPECT_TRUE(SaveSettings("ms.ini", servers, options, ""));

        // No box may wait for an answer: "no row selected" would show up here.
        ScriptedMessageBoxes boxes;
        AppState state;
        EXPECT_TRUE(RunStartupRoutine(state));
        QPointer<MainWindow> window = testing::OpenWindow<MainWindow>();
        if (window == nullptr) {
            ADD_FAILURE() << "the main window did not open";
            return {};
        }
        auto* list = testing::Find<QTableView>(*window, "超级列表框1");
        auto* connect = testing::Find<QPushButton>(*window, "按钮_连接服务器");
        EXPECT_TRUE(testing::WaitUntil([&] {
            return list->model()->index(0, 3).data().toString() == QStringLiteral("在线");
        }));
        testing::ClickRow(*list, 0);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(boxes.Asked().empty());
        EXPECT_TRUE(connect->isEnabled());
        window->close();
        testing::Settle();

        ClientRecord record;
        if (!WaitFor([&] { return PathExists(record_); })) {
            ADD_FAILURE() << "the client did not run\n"
                          << ReadWholeFile(root_ + "/server.log").value_or("");
            return record;
        }
        std::istringstream lines(ReadWholeFile(record_).value_or(""));
        std::string line;
        if (std::getline(lines, line)) {
            record.status = std::stoi(line);
        }
        while (std::getline(lines, line)) {
            record.arguments.push_back(line);
        }
        record.copyMode = ReadWholeFile(record_ + ".mode").value_or("");
        record.copyText = ReadWholeFile(record_ + ".copy").value_or("");
        // The adapter removes its copy once the client has ended.
        EXPECT_FALSE(record.arguments.empty());
        if (!record.arguments.empty()) {
            const std::string copy = record.arguments.front();
            EXPECT_TRUE(WaitFor([&] { return !PathExists(copy); })) << copy << " was left";
        }
        return record;
    }

    std::string root_;
    std::string realClient_;
    std::string record_;
    std::uint16_t port_ = 0;
    Child xvfb_;
    Child server_;
};

TEST_F(RdpLoginTest, TheStoredPasswordLogsIn) {
    const ClientRecord record = Connect(kPassword);
    EXPECT_EQ(record.status, 0) << ReadWholeFile(root_ + "/server.log").value_or("");

    // The copy FreeRDP read: *.rdp in the per-user temporary directory, owner only, no password.
    ASSERT_FALSE(record.arguments.empty());
    EXPECT_THAT(record.arguments.front(), EndsWith(".rdp"));
    EXPECT_TRUE(record.arguments.front().starts_with(TemporaryDirectory()));
    EXPECT_EQ(record.copyMode, "600\n");
    EXPECT_THAT(record.copyText, HasSubstr("username:s:tester\r\n"));
    EXPECT_THAT(record.copyText, Not(HasSubstr("password")));
    // The options' switches translated; the password went through standard input, never on the
    // command line.
    EXPECT_THAT(record.arguments, ElementsAre(record.arguments.front(), "/admin", "/w:1024",
                                              "/h:768", "/from-stdin:force", "/cert:ignore"));
    for (const std::string& argument : record.arguments) {
        EXPECT_THAT(argument, Not(HasSubstr(kPassword)));
    }
}

TEST_F(RdpLoginTest, AWrongStoredPasswordFails) {
    const ClientRecord record = Connect("Wrong456");
    EXPECT_NE(record.status, 0);
    EXPECT_NE(record.status, -1);
}

}  // namespace
}  // namespace kestrune
