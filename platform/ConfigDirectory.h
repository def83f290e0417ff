#pragma once

#include <optional>
#include <string>

namespace kestrune {

// The per-user folder that holds the data-protection key and the registry file:
// $XDG_CONFIG_HOME/kestrune, or $HOME/.config/kestrune when XDG_CONFIG_HOME is unset or not
// absolute. Nothing when neither gives an absolute path. No trailing separator.
std::optional<std::string> ConfigDirectoryPath();

// The same folder, made (with any missing parents, mode 0700) when absent; nothing when it
// cannot be made or is not a directory.
std::optional<std::string> EnsureConfigDirectory();

}  // namespace kestrune
