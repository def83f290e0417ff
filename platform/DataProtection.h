#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// Stands in for the per-user data protection of the system: authenticated encryption under a
// secret key that only this user can read. The blob starts with a format version byte and carries
// the description, which is authenticated with the data. Nothing on any failure.
std::optional<std::string> ProtectData(std::string_view data, std::u16string_view description);

// The data of a blob made by ProtectData for this user; nothing when the blob is damaged, changed
// in any byte, made under another key, or of an unknown format.
std::optional<std::string> UnprotectData(std::string_view blob);

}  // namespace kestrune
