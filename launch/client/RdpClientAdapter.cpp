#include "launch/client/RdpClientAdapter.h"

#include <fcntl.h>
#include <signal.h>
#include <sodium.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "platform/CodePage.h"
#include "platform/DataProtection.h"
#include "platform/FileSystem.h"
#include "platform/ProcessStart.h"
#include "platform/TempFiles.h"
#include "platform/posix/Descriptor.h"

extern char** environ;

namespace kestrune {

namespace {

constexpr const char* kProgramName = "kestrune-rdp";

char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = ToLowerAscii(c);
    }
    return lower;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// "/w:<digits>" or "/h:<digits>" in any case; the normalised switch, or nothing.
std::optional<std::string> DimensionSwitch(std::string_view word) {
    const std::string lower = LowerAscii(word);
    if (lower.size() < 4 || lower.size() > 8 || lower[0] != '/' ||
        (lower[1] != 'w' && lower[1] != 'h') || lower[2] != ':') {
        return std::nullopt;
    }
    for (std::size_t i = 3; i < lower.size(); ++i) {
        if (lower[i] < '0' || lower[i] > '9') {
            return std::nullopt;
        }
    }
    return lower;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = ToLowerAscii(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void Wipe(std::string& secret) {
    if (!secret.empty()) {
        sodium_memzero(secret.data(), secret.size());
    }
    secret.clear();
}

// One line of a connection file: "name:type:value".
struct Setting {
    std::string name;  // lowercase, without surrounding blanks
    std::string_view type;
    std::string_view value;
};

std::optional<Setting> ParseSetting(std::string_view line) {
    const std::size_t first = line.find(':');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    return Setting{LowerAscii(TrimBlanks(line.substr(0, first))),
                   line.substr(first + 1, second - first - 1), line.substr(second + 1)};
}

}  // namespace

TranslatedSwitches TranslateSwitches(const std::vector<std::string>& switches) {
    TranslatedSwitches result;
    bool admin = false;
    for (const std::string& word : switches) {
        const std::string lower = LowerAscii(word);
        if (lower == "/console" || lower == "/admin") {
            if (!admin) {
                result.arguments.emplace_back("/admin");
                admin = true;
            }
        } else if (auto dimension = DimensionSwitch(word)) {
            result.arguments.push_back(std::move(*dimension));
        } else {
            result.ignored.push_back(word);
        }
    }
    return result;
}

ConnectionFileContent ReadConnectionText(std::string_view cp936Text) {
    const std::string text = Utf16ToUtf8(Cp936ToUtf16(cp936Text));
    ConnectionFileContent content;
    content.freeRdpText.reserve(text.size());
    std::size_t start = 0;
    while (start < text.size()) {
        // FreeRDP ends a line at either CR or LF, so a lone CR must end one here too.
        std::size_t lineEnd = text.find_first_of("\r\n", start);
        lineEnd = lineEnd == std::string::npos ? text.size() : lineEnd;
        std::size_t end = text.find_first_not_of("\r\n", lineEnd);
        end = end == std::string::npos ? text.size() : end;
        const std::string_view line = std::string_view(text).substr(start, lineEnd - start);
        const std::string_view whole = std::string_view(text).substr(start, end - start);
        start = end;
        if (line.starts_with('/')) {
            content.ignoredLines.emplace_back(line);
            continue;
        }
        const std::optional<Setting> setting = ParseSetting(line);
        // No line about a password reaches the plain copy, whatever its spelling.
        if (setting && setting->name.starts_with("password")) {
            if (setting->name == "password 51" && !content.passwordField) {
                content.passwordField = std::string(TrimBlanks(setting->value));
            }
            continue;
        }
        if (setting && setting->name == "username" && setting->type == "s") {
            content.account = std::string(setting->value);
        } else if (setting && setting->name == "authentication level" && setting->type == "i") {
            content.ignoreCertificate = TrimBlanks(setting->value) == "0";
        }
        content.freeRdpText.append(whole);
    }
    return content;
}

std::optional<std::string> UnprotectPasswordField(std::string_view digits) {
    digits = TrimBlanks(digits);
    std::string blob;
    blob.reserve(digits.size() / 2);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        const int high = HexValue(digits[i]);
        const int low = HexValue(digits[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        blob.push_back(static_cast<char>(high * 16 + low));
    }
    std::optional<std::string> data = UnprotectData(blob);
    if (!data) {
        return std::nullopt;
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data->size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>((*data)[i]) |
                                                (static_cast<unsigned char>((*data)[i + 1]) << 8));
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    std::string password = Utf16ToUtf8(units);
    Wipe(*data);
    if (!units.empty()) {
        sodium_memzero(units.data(), units.size() * sizeof(char16_t));
    }
    return password;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::optional<std::string> WriteFreeRdpCopy(std::string_view text) {
    std::string path = TemporaryDirectory() + "kestrune-XXXXXX.rdp";
    // mkostemps creates the name with O_EXCL and mode 0600.
    Descriptor fd(::mkostemps(path.data(), 4, O_CLOEXEC));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    const bool ok = ::fchmod(fd.get(), 0600) == 0 && WriteAll(fd.get(), text) && fd.Close();
    if (!ok) {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
        return std::nullopt;
    }
    return path;
}

int RunRdpClientAdapter(const std::vector<std::string>& arguments, const ClientRunner& runClient,
                        std::ostream& errors) {
    if (arguments.empty()) {
        errors << kProgramName
               << ": usage: kestrune-rdp <connection file> [/console] [/admin] [/w:<width> "
                  "/h:<height>]\n";
        return 2;
    }
    const std::string& path = arguments.front();
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        errors << kProgramName << ": cannot read the connection file " << path << "\n";
        return 1;
    }
    ConnectionFileContent content = ReadConnectionText(*text);
    for (const std::string& line : content.ignoredLines) {
        errors << kProgramName << ": ignoring the line " << line << "\n";
    }

    std::optional<std::string> password;
    if (content.passwordField) {
        password = UnprotectPasswordField(*content.passwordField);
        if (!password) {
            errors << kProgramName << ": the password in " << path
                   << " cannot be unprotected (made by another user, or damaged)\n";
            return 1;
        }
        if (password->empty()) {
            password.reset();
        }
    }

    const TranslatedSwitches switches =
        TranslateSwitches(std::vector<std::string>(std::next(arguments.begin()), arguments.end()));
    for (const std::string& word : switches.ignored) {
        errors << kProgramName << ": ignoring the switch " << word << "\n";
    }

    const std::optional<std::string> copy = WriteFreeRdpCopy(content.freeRdpText);
    if (!copy) {
        const int error = errno;
        errors << kProgramName << ": cannot write a connection file for FreeRDP in "
               << TemporaryDirectory() << ": " << std::strerror(error) << "\n";
        if (password) {
            Wipe(*password);
        }
        return 1;
    }

    ClientLaunch launch;
    launch.arguments.push_back(*copy);
    launch.arguments.insert(launch.arguments.end(), switches.arguments.begin(),
                            switches.arguments.end());
    if (password && !content.account.empty()) {
        launch.arguments.emplace_back("/from-stdin:force");
        launch.standardInput = *password + "\n";
    } else if (password) {
        // FreeRDP would read the password as the account's name.
        errors << kProgramName
               << ": the connection file names no account; FreeRDP asks for the credentials\n";
    }
    if (content.ignoreCertificate) {
        launch.arguments.emplace_back("/cert:ignore");
    }
    if (password) {
        Wipe(*password);
    }

    const std::optional<int> status = runClient(launch, errors);
    if (launch.standardInput) {
        Wipe(*launch.standardInput);
    }
    if (::unlink(copy->c_str()) != 0) {
        errors << kProgramName << ": cannot remove " << *copy << ": " << std::strerror(errno)
               << "\n";
    }
    return status ? *status : 1;
}

namespace {

std::atomic<pid_t> clientPid{0};
std::atomic<int> pendingSignal{0};

void PassSignalOn(int signal) {
    const pid_t pid = clientPid.load();
    if (pid > 0) {
        ::kill(pid, signal);
    } else {
        pendingSignal.store(signal);
    }
}

constexpr int kPassedSignals[] = {SIGHUP, SIGINT, SIGTERM};

// Holds the adapter's signal handling for one client run and restores it afterwards.
class SignalScope {
public:
    SignalScope() {
        struct sigaction pass {};
        pass.sa_handler = PassSignalOn;
        sigemptyset(&pass.sa_mask);
        for (std::size_t i = 0; i < std::size(kPassedSignals); ++i) {
            ::sigaction(kPassedSignals[i], &pass, &saved_[i]);
        }
        // A client that ends before reading its input must not end the adapter with it.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, &savedPipe_);
    }
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;
    ~SignalScope() {
        for (std::size_t i = 0; i < std::size(kPassedSignals); ++i) {
            ::sigaction(kPassedSignals[i], &saved_[i], nullptr);
        }
        ::sigaction(SIGPIPE, &savedPipe_, nullptr);
        clientPid.store(0);
        pendingSignal.store(0);
    }

private:
    struct sigaction saved_[std::size(kPassedSignals)]{};
    struct sigaction savedPipe_ {};
};

class Pipe {
public:
    Pipe() = default;
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    bool Open() { return ::pipe2(fds_, O_CLOEXEC) == 0; }
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void CloseRead() { Close(fds_[0]); }
    void CloseWrite() { Close(fds_[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    int fds_[2] = {-1, -1};
};

}  // namespace

std::optional<int> RunFreeRdpClient(const ClientLaunch& launch, std::ostream& errors) {
    const std::string program = FindProgram("xfreerdp");
    if (program.empty()) {
        errors << kProgramName
               << ": FreeRDP's X11 client xfreerdp is not installed (Debian package "
                  "freerdp2-x11)\n";
        return std::nullopt;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : launch.arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    Pipe input;
    if (launch.standardInput && !input.Open()) {
        errors << kProgramName << ": cannot make a pipe: " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (launch.standardInput) {
        posix_spawn_file_actions_adddup2(&actions, input.read(), STDIN_FILENO);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : kPassedSignals) {
        sigaddset(&defaults, signal);
    }
    sigaddset(&defaults, SIGPIPE);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    SignalScope signals;
    pid_t pid = 0;
    const int spawnError =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0) {
        errors << kProgramName << ": cannot start " << program << ": " << std::strerror(spawnError)
               << "\n";
        return std::nullopt;
    }
    clientPid.store(pid);
    if (const int signal = pendingSignal.exchange(0); signal != 0) {
        ::kill(pid, signal);
    }

    if (launch.standardInput) {
        input.CloseRead();
        // A password is far smaller than a pipe's buffer: this never waits for the reader.
        const std::string& data = *launch.standardInput;
        std::size_t written = 0;
        while (written < data.size()) {
            const ssize_t n = ::write(input.write(), data.data() + written, data.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;  // the client ended without reading: its status tells the rest
            }
            written += static_cast<std::size_t>(n);
        }
        input.CloseWrite();
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            errors << kProgramName << ": lost the client: " << std::strerror(errno) << "\n";
            return std::nullopt;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace kestrune
