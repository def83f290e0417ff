#pragma once

// Texts are code page 936 byte strings. A byte of 0x80 or above starts a two-byte character;
// searches, splits and replacements step over such characters whole, so a delimiter never
// matches at a character's second byte. Positions are 1-based; -1 means "not found".

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

inline bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Length in bytes of the character that starts at byte index i (0-based): 2 for a lead byte that
// has a byte after it, else 1.
inline std::size_t CharLengthAt(std::string_view text, std::size_t i) {
    return (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
}

// Position of `what` in `text`, matched only where a character starts, at or after `start`.
// A start at or below 1 searches from the beginning. An empty `what` is never found.
int FindText(std::string_view text, std::string_view what, int start = 1);

// Position of the last character equal to the single byte `c`, or -1.
int FindLastChar(std::string_view text, char c);

// Splits at `delimiter`: each delimiter ends one member (so adjacent delimiters give an empty
// member and a leading one an empty first member); the rest after the last delimiter is a member
// only if it is not empty; the empty text has no members.
std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter);
// The same members as views into `text`, for readers that copy only what they keep.
std::vector<std::string_view> SplitTextViews(std::string_view text, std::string_view delimiter);

// Replaces every occurrence of `what`, scanning from the first byte; the scan goes on behind each
// match, so an inserted value is not scanned again.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

}  // namespace kestrune
