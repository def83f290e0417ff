#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

// The per-user temporary directory, ending with a separator: $XDG_RUNTIME_DIR when it is an
// absolute path to a directory we can write, else $TMPDIR on the same terms, else /tmp.
std::string TemporaryDirectory();

// Milliseconds of a monotonic clock, cut to 32 bits (it wraps after about 49.7 days).
std::uint32_t TickCount();

// True when the path takes a name: a file, a directory or a link (a dangling one too). The link
// itself is looked at, never followed.
bool PathExists(const std::string& path);

}  // namespace kestrune
