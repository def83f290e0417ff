#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/LaunchOptions.h"
#include "core/ServerList.h"
#include "launch/LauncherView.h"

namespace kestrune {

// Connects to the selected server: writes the connection file into the temporary directory,
// marks the address in the registry store and starts the remote-desktop client with the file and
// the switches of the checked options. Shows the selection message when no row is selected.
void LaunchSession(LauncherView& view, ServerList& list);

// The next temporary file name: the temporary directory, a lowercase hexadecimal number and
// ".tmp", passing over numbers whose name is taken by a file, a directory or a link.
std::string MakeTempFileName();

// "mstsc.exe ", the connection file's path (quoted when it holds a blank), one blank and the
// switches of the checked options, each with its blank.
std::string MakeCommandLine(const std::string& path, const LaunchOptionControls& options);

// Replaces the tick count that seeds the file number; empty for the system's.
void SetTickSourceForTesting(std::function<std::uint32_t()> tick);

// Called with the file name LaunchSession has just made, before it creates the file, so that a
// test can take the name at that moment. Empty to remove.
void SetTempFileNameHookForTesting(std::function<void(const std::string&)> hook);

}  // namespace kestrune
