#include "launch/SessionLauncher.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/Text.h"
#include "launch/ConnectionFile.h"
#include "platform/FileSystem.h"
#include "platform/ProcessStart.h"
#include "platform/Registry.h"
#include "platform/TempFiles.h"

namespace kestrune {

namespace {

constexpr std::string_view kLocalDevicesKey =
    "Software\\Microsoft\\Terminal Server Client\\LocalDevices";
constexpr std::uint32_t kLocalDevicesMark = 76;
constexpr int kClientStartWaitMs = 1000;
// Names found taken at the moment of creation before the launcher gives up.
constexpr int kCreateAttempts = 64;

std::atomic<std::uint32_t> nameCounter{0};
std::function<void(const std::string&)> tempFileNameHook;
std::function<std::uint32_t()> tickSource;

struct TempName {
    std::string directory;
    std::uint32_t number = 0;

    std::string Path() const {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%x", number);
        return directory + hex + ".tmp";
    }
};

TempName NextTempName() {
    const std::uint32_t tick = tickSource ? tickSource() : TickCount();
    TempName name{TemporaryDirectory(), tick + nameCounter.fetch_add(1)};
    while (PathExists(name.Path())) {
        ++name.number;  // wraps, as 32-bit numbers do
    }
    return name;
}

// Creates the connection file as a new file of ours, never through an existing file or link.
// When the name was taken since it was made, the next number is tried. Gives the path the file
// now has, or nothing when every name tried was taken: then no path names a file of ours.
std::optional<std::string> WriteConnectionFile(TempName name, std::string_view text) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt, ++name.number) {
        const std::string path = name.Path();
        // A file that cannot be created or written is not reported; the client gets the path
        // all the same and tells the user what it finds there.
        if (WriteNewFile(path, text) != NewFileResult::Taken) {
            return path;
        }
    }
    return std::nullopt;
}

// Marks the address under the LocalDevices key, once: an existing value of that name stays as
// it is, whatever its type and data. The part of the address before its last backslash
// lengthens the key path.
void MarkAddress(const std::string& address) {
    const std::string full = std::string(kLocalDevicesKey) + "\\" + address;
    const auto slash = static_cast<std::size_t>(FindLastChar(full, '\\'));
    const std::string keyPath = full.substr(0, slash - 1);
    const std::string valueName = full.substr(slash);

    if (auto key = RegistryKey::Open(keyPath, RegistryAccess::Read)) {
        const bool exists = key->QueryValue(valueName).has_value();
        key->Close();
        if (exists) {
            return;
        }
    }
    auto key = RegistryKey::Open(keyPath, RegistryAccess::Write);
    if (!key) {
        key = RegistryKey::Create(keyPath);
    }
    if (key) {
        key->SetDword(valueName, kLocalDevicesMark);
        key->Close();
    }
}

// Enables Connect again on every way out once it was disabled.
class ConnectDisabled {
public:
    explicit ConnectDisabled(LauncherView& view) : view_(view) { view_.SetConnectEnabled(false); }
    ConnectDisabled(const ConnectDisabled&) = delete;
    ConnectDisabled& operator=(const ConnectDisabled&) = delete;
    ~ConnectDisabled() { view_.SetConnectEnabled(true); }

private:
    LauncherView& view_;
};

}  // namespace

std::string MakeTempFileName() {
    return NextTempName().Path();
}

std::string MakeCommandLine(const std::string& path, const LaunchOptionControls& options) {
    std::string line = "mstsc.exe " + QuoteCommandLineWord(path) + " ";
    if (options.IsConsoleOn()) {
        line += "/console ";
    }
    if (options.IsAdminOn()) {
        line += "/admin ";
    }
    if (options.IsResolutionSelected(Resolution::R800x600)) {
        line += "/w:800 /h:600 ";
    }
    if (options.IsResolutionSelected(Resolution::R1024x768)) {
        line += "/w:1024 /h:768 ";
    }
    return line;
}

void SetTickSourceForTesting(std::function<std::uint32_t()> tick) {
    tickSource = std::move(tick);
}

void SetTempFileNameHookForTesting(std::function<void(const std::string&)> hook) {
    tempFileNameHook = std::move(hook);
}

void LaunchSession(LauncherView& view, ServerList& list) {
    const int position = view.SelectedPosition();
    if (position <= 0) {
        view.ShowSelectionMessage();
        return;
    }
    const TempName name = NextTempName();
    if (tempFileNameHook) {
        tempFileNameHook(name.Path());
    }
    const ConnectDisabled disabled(view);

    // Read again now: the row may have changed since it was selected. A position beyond the
    // end names no server, and nothing is written or started for it.
    const auto snapshot = list.SnapshotAt(position);
    if (!snapshot) {
        return;
    }
    const ServerEntry& entry = snapshot->entry;
    const std::string text = BuildConnectionFile(entry);
    const auto path = WriteConnectionFile(name, text);
    MarkAddress(entry.address);
    // Every name tried was taken by someone else: the client must not read what is there.
    if (path) {
        StartProcess(MakeCommandLine(*path, view.OptionControls()), kClientStartWaitMs);
    }
}

}  // namespace kestrune
