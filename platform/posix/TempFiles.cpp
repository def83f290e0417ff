#include "platform/TempFiles.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrune {

namespace {

bool IsUsableDirectory(const char* path) {
    if (path == nullptr || path[0] != '/') {
        return false;
    }
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) && ::access(path, W_OK | X_OK) == 0;
}

}  // namespace

std::string TemporaryDirectory() {
    std::string directory = "/tmp";
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        if (const char* value = std::getenv(name); IsUsableDirectory(value)) {
            directory = value;
            break;
        }
    }
    if (directory.back() != '/') {
        directory.push_back('/');
    }
    return directory;
}

std::uint32_t TickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace kestrune
