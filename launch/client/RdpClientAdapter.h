#pragma once

// kestrune-rdp: takes the place of the Windows remote-desktop client on Linux. It is started as
// "<connection file> <switches>", reads the file, unprotects the stored password and runs
// FreeRDP's X11 client (xfreerdp) with a copy of the file that FreeRDP can read and the password
// on the client's standard input, never on a command line or in a plain file.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// FreeRDP's switches for the Windows client's ones. "/console" and "/admin" both ask for the
// administrative session, FreeRDP's "/admin" (given once); "/w:<n>" and "/h:<n>" pass as they are.
// The Windows client's switches are case-insensitive. Whatever has no counterpart is left out, so
// that FreeRDP never takes it for one of its own options.
struct TranslatedSwitches {
    std::vector<std::string> arguments;
    std::vector<std::string> ignored;
};
TranslatedSwitches TranslateSwitches(const std::vector<std::string>& switches);

// What the adapter takes from a connection file (code page 936, CR LF lines). Lines end at CR or
// LF, as FreeRDP reads them.
struct ConnectionFileContent {
    // The whole file in UTF-8 without any password line: what FreeRDP gets to read.
    std::string freeRdpText;
    // The value of "username:s:", UTF-8.
    std::string account;
    // The digits after "password 51:b:", when the file has that field.
    std::optional<std::string> passwordField;
    // "authentication level:i:0": connect whatever the server's certificate says.
    bool ignoreCertificate = false;
    // Lines left out of the copy because FreeRDP would take them for its own command-line
    // options (it does so with every line that begins with "/").
    std::vector<std::string> ignoredLines;
};
ConnectionFileContent ReadConnectionText(std::string_view cp936Text);

// The password inside a password field, UTF-8: the digits give the blob (two per byte; an odd
// last digit is the field's closing "0"), the blob unprotects to 512 bytes of UTF-16LE filled up
// with zeros, and the password is the units before the first zero unit. Nothing when the digits
// are not hexadecimal or the blob does not unprotect.
std::optional<std::string> UnprotectPasswordField(std::string_view digits);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Writes `text` to a new file "kestrune-XXXXXX.rdp" in the per-user temporary directory, created
// exclusively (never through an existing file or link) with mode 0600; its path, or nothing.
// FreeRDP reads a connection file only when its name ends in ".rdp".
std::optional<std::string> WriteFreeRdpCopy(std::string_view text);

// How the client is to be started: its arguments after the program name, and what it reads on
// standard input (nothing: it keeps the adapter's own).
struct ClientLaunch {
    std::vector<std::string> arguments;
    std::optional<std::string> standardInput;
};

// Starts the client, waits until it has ended and gives its exit status; nothing when it could
// not be started, after saying why on `errors`.
using ClientRunner =
    std::function<std::optional<int>(const ClientLaunch& launch, std::ostream& errors)>;

// The whole adapter: `arguments` are its command-line words after its own name. Failures end
// with a message on `errors` and a non-zero status; otherwise the client's exit status. The
// FreeRDP copy lives exactly as long as the client runs.
int RunRdpClientAdapter(const std::vector<std::string>& arguments, const ClientRunner& runClient,
                        std::ostream& errors);

// The real runner: xfreerdp from PATH, the standard input through a pipe. While it waits, the
// signals that would end the adapter (hang-up, interrupt, termination) are passed on to the
// client instead, so that the copy is still removed.
std::optional<int> RunFreeRdpClient(const ClientLaunch& launch, std::ostream& errors);

}  // namespace kestrune
