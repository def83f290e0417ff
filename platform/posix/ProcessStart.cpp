#include "platform/ProcessStart.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kestrune {

namespace {

constexpr std::string_view kClientName = "mstsc.exe";
constexpr std::string_view kClientAdapter = "kestrune-rdp";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string RunningProgramDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
        return {};
    }
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

std::int64_t NowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Tells the parent why the child did not reach the program, then ends the child. Only
// async-signal-safe calls: other threads may have held locks at the fork.
[[noreturn]] void FailChild(int pipeFd) {
    const int error = errno;
    [[maybe_unused]] const ssize_t n = ::write(pipeFd, &error, sizeof error);
    ::_exit(127);
}

// Learns from the close-on-exec pipe whether the grandchild reached its program: end of file
// means exec closed the pipe, an error number means it failed.
StartResult AwaitExec(int readFd, int waitMs) {
    const std::int64_t deadline = NowMs() + waitMs;
    for (;;) {
        const std::int64_t left = deadline - NowMs();
        if (left <= 0) {
            return StartResult::Pending;
        }
        pollfd p{readFd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            return StartResult::Pending;
        }
        if (ready <= 0) {
            continue;
        }
        int error = 0;
        const ssize_t n = ::read(readFd, &error, sizeof error);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n == 0 ? StartResult::Started : StartResult::NotStarted;
    }
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (i == line.size()) {
        return words;
    }
    // The program name: quotes group, nothing escapes.
    std::string first;
    for (bool quoted = false; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else {
            first.push_back(line[i]);
        }
    }
    words.push_back(std::move(first));
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return words;
        }
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word.push_back('"');
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    word.push_back('"');
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                word.append(backslashes, '\\');
                if (i < line.size() && (quoted || !IsBlank(line[i]))) {
                    word.push_back(line[i]);
                    ++i;
                }
            }
        }
        words.push_back(std::move(word));
    }
}

std::string QuoteCommandLineWord(std::string_view word) {
    if (!word.empty() && word.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(word);
    }
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(2 * backslashes + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out.push_back(c);
    }
    out.append(2 * backslashes, '\\');
    out.push_back('"');
    return out;
}

std::string FindProgram(std::string_view name) {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string_view::npos) {
        return std::string(name);
    }
    const char* path = std::getenv("PATH");
    const std::string_view elements = path != nullptr ? path : "/bin:/usr/bin";
    std::size_t start = 0;
    while (start <= elements.size()) {
        std::size_t end = elements.find(':', start);
        if (end == std::string_view::npos) {
            end = elements.size();
        }
        const std::string_view directory = elements.substr(start, end - start);
        if (!directory.empty() && directory.front() == '/') {
            std::string candidate(directory);
            candidate += '/';
            candidate += name;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

std::string ResolveClientProgram() {
    return ResolveClientProgram(RunningProgramDirectory());
}

std::string ResolveClientProgram(const std::string& directory) {
    if (std::string own = FindProgram(kClientName); !own.empty()) {
        return own;
    }
    if (directory.empty()) {
        return {};
    }
    std::string adapter = directory + "/" + std::string(kClientAdapter);
    return IsExecutableFile(adapter) ? adapter : std::string();
}

StartResult StartProcess(std::string_view commandLine, int waitMs) {
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty()) {
        return StartResult::NotStarted;
    }
    const std::string program =
        words[0] == kClientName ? ResolveClientProgram() : FindProgram(words[0]);
    if (program.empty()) {
        return StartResult::NotStarted;
    }
    words[0] = program;
    // Everything the children use is made before the fork.
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return StartResult::NotStarted;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // The intermediate child: a new session, one more fork, and out at once, so the program
        // is reparented and reaped by the system rather than by us.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            FailChild(fds[1]);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        // The program starts with no signal blocked and SIGPIPE at its default.
        ::sigprocmask(SIG_SETMASK, &noSignals, nullptr);
        ::sigaction(SIGPIPE, &defaultAction, nullptr);
        // Any descriptor opened without close-on-exec by code outside ours still stays with us.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(program.c_str(), argv.data());
        FailChild(fds[1]);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return StartResult::NotStarted;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const StartResult result = AwaitExec(fds[0], waitMs);
    ::close(fds[0]);
    return result;
}

}  // namespace kestrune
