#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/LaunchOptions.h"
#include "core/ServerList.h"

namespace kestrune {

inline constexpr std::string_view kSettingsKey = "8406";
inline constexpr std::string_view kConsoleMarker = "#onsole:";
inline constexpr std::string_view kAdminMarker = "#admin:";
inline constexpr std::string_view kStartMarker = "#Start:";
inline constexpr std::string_view kPasswordOpen = "#LoadinPass:<";
inline constexpr std::string_view kPasswordClose = ">";

// RC4: the same call enciphers and deciphers.
std::string SettingsCodec(std::string_view data, std::string_view key);

// Every piece between an opening marker and the next closing marker, joined by "||". A later
// opening marker without a closing one discards what earlier passes found.
std::string ExtractBetween(std::string_view text, std::string_view open, std::string_view close);

// The deciphered settings text up to its first zero byte; empty when the file is absent,
// unreadable or empty.
std::string LoadSettings(const std::string& fileName);

// Appends one Unknown entry per server line and sets the options from the option lines.
void ParseSettings(std::string_view settingsText, ServerList& list, LaunchOptionControls& options);

// The plain text that SaveSettings enciphers.
std::string ComposeSettingsText(const std::vector<ServerEntry>& entries,
                                const LaunchOptionControls& options,
                                std::string_view startupPassword);

// Writes the whole state, enciphered, replacing the file atomically. The user is told nothing;
// the result only tells the caller whether the file was written.
bool SaveSettings(const std::string& fileName, const ServerList& list,
                  const LaunchOptionControls& options, std::string_view startupPassword);

}  // namespace kestrune
