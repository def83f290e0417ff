#include "platform/ConfigDirectory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace kestrune {

namespace {

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p with mode 0700 for every folder it makes.
bool MakeDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    return IsDirectory(path);
}

}  // namespace

std::optional<std::string> ConfigDirectoryPath() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(config)) {
        return std::string(config) + "/kestrune";
    }
    if (const char* home = std::getenv("HOME"); IsAbsolute(home)) {
        return std::string(home) + "/.config/kestrune";
    }
    return std::nullopt;
}

std::optional<std::string> EnsureConfigDirectory() {
    auto path = ConfigDirectoryPath();
    if (!path || !MakeDirectories(*path)) {
        return std::nullopt;
    }
    return path;
}

}  // namespace kestrune
