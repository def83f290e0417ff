#pragma once

#include <optional>
#include <string_view>

namespace kestrune {

// Where a text goes in the settings file; each place has its own delimiters.
enum class SettingsTextKind {
    ServerText,       // address, port, account or password of a server line
    Remark,           // the last field of a server line: line breaks (CR LF) are kept
    StartupPassword,  // between "#LoadinPass:<" and ">"
};

// Why the settings file cannot give a text back as it was written.
enum class TextFault {
    Delimiter,      // "|": splits the server line (and makes a password line a server line)
    ClosingMarker,  // ">" in the start-up password: ends it early
    Marker,         // "#onsole:", "#admin:", "#Start:" or "#LoadinPass:<"
    LineBreak,      // a line break where a line cannot hold one, or a lone CR or LF
    ZeroChar,       // the reader stops at the first zero byte
    LoneHighByte,   // a single byte of 0x80 or above, which the reader pairs with the next byte
    NotInCodePage,  // no code page 936 form (found while converting typed text)
};

// Checks a code page 936 text against what the settings file can hold at that place; nothing
// when the text comes back byte for byte at the next start.
std::optional<TextFault> CheckSettingsText(std::string_view text, SettingsTextKind kind);

}  // namespace kestrune
