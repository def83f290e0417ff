#include "core/TextLimits.h"

#include "core/SettingsFile.h"
#include "core/Text.h"

namespace kestrune {

namespace {

// The reader pairs every byte of 0x80 or above with the byte after it. A text is safe only if
// each such byte is a real lead byte with its second byte inside the text: a lone one would
// swallow the delimiter or line end that follows the text in the file.
bool HasLoneHighByte(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && (c == 0x80 || c == 0xFF || i + 1 >= text.size())) {
            return true;
        }
    }
    return false;
}

// In a remark only CR LF pairs survive (written as a lone LF, read back as CR LF).
bool HasLineBreak(std::string_view text, bool crLfAllowed) {
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        if (text[i] == '\r' && crLfAllowed && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;  // step over the pair
            continue;
        }
        if (text[i] == '\r' || text[i] == '\n') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<TextFault> CheckSettingsText(std::string_view text, SettingsTextKind kind) {
    if (text.find('\0') != std::string_view::npos) {
        return TextFault::ZeroChar;
    }
    if (HasLoneHighByte(text)) {
        return TextFault::LoneHighByte;
    }
    if (FindText(text, "|") != -1) {
        return TextFault::Delimiter;
    }
    if (kind == SettingsTextKind::StartupPassword && FindText(text, kPasswordClose) != -1) {
        return TextFault::ClosingMarker;
    }
    for (std::string_view marker : {kConsoleMarker, kAdminMarker, kStartMarker, kPasswordOpen}) {
        if (FindText(text, marker) != -1) {
            return TextFault::Marker;
        }
    }
    if (HasLineBreak(text, kind == SettingsTextKind::Remark)) {
        return TextFault::LineBreak;
    }
    return std::nullopt;
}

}  // namespace kestrune
