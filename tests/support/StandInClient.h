#pragma once

// A stand-in for the remote-desktop client: a small script that records how it was started and
// copies the connection file it was given. It runs detached, so it writes its record under a
// temporary name and renames it into place; the test waits for that name.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kestrune::testing {

struct StandInRecord {
    std::vector<std::string> args;  // without the program name
    std::string descriptors;        // ls -l of the stand-in's open descriptors
    std::string stat;               // /proc/<pid>/stat of the stand-in
    std::string cwd;
    std::string environment;          // env of the stand-in
    std::optional<std::string> file;  // a copy of the file named by the first argument
};

inline std::optional<std::string> ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Writes an executable script `directory/name` that records into `record` (a directory).
inline void WriteStandIn(const std::string& directory, const std::string& name,
                         const std::string& record) {
    const std::string path = directory + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n"
                           "out='"
                        << record
                        << "'\n"
                           "tmp=\"$out.partial.$$\"\n"
                           "mkdir \"$tmp\" || exit 1\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$tmp/args\"\n"
                           "ls -l /proc/$$/fd > \"$tmp/fds\"\n"
                           "cat /proc/$$/stat > \"$tmp/stat\"\n"
                           "pwd > \"$tmp/cwd\"\n"
                           "env > \"$tmp/env\"\n"
                           "if [ -f \"$1\" ]; then cp \"$1\" \"$tmp/file\"; fi\n"
                           "mv \"$tmp\" \"$out\"\n";
    ::chmod(path.c_str(), 0755);
}

// Polls for `path`; the guard only turns a hang into a failure.
inline bool WaitForPath(const std::string& path) {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    struct stat st {};
    while (::lstat(path.c_str(), &st) != 0) {
        if (std::chrono::steady_clock::now() > guard) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline StandInRecord ReadRecord(const std::string& record) {
    StandInRecord r;
    std::istringstream args(ReadText(record + "/args").value_or(""));
    for (std::string line; std::getline(args, line);) {
        r.args.push_back(line);
    }
    r.descriptors = ReadText(record + "/fds").value_or("");
    r.stat = ReadText(record + "/stat").value_or("");
    r.cwd = ReadText(record + "/cwd").value_or("");
    if (!r.cwd.empty() && r.cwd.back() == '\n') {
        r.cwd.pop_back();
    }
    r.environment = ReadText(record + "/env").value_or("");
    r.file = ReadText(record + "/file");
    return r;
}

// Puts a directory first on PATH for the life of the object.
class PathPrefix {
public:
    explicit PathPrefix(const std::string& directory) {
        const char* path = std::getenv("PATH");
        saved_ = path != nullptr ? std::optional<std::string>(path) : std::nullopt;
        ::setenv("PATH", (directory + ":" + saved_.value_or("/usr/bin:/bin")).c_str(), 1);
    }
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;
    ~PathPrefix() {
        if (saved_) {
            ::setenv("PATH", saved_->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }

private:
    std::optional<std::string> saved_;
};

}  // namespace kestrune::testing
