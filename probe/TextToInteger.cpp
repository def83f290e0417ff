#include "probe/TextToInteger.h"

#include <string>

#include "core/Text.h"

namespace kestrune {

namespace {

// The ASCII form of the two-byte character (lead, trail), or 0 when it has none.
char AsciiFormOf(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return static_cast<char>(trail & 0x7F);
    }
    if (lead == 0xA1) {
        switch (trail) {
            case 0xA1:
                return ' ';
            case 0xAB:
                return '~';
            case 0xEE:
            case 0xEF:
                return '*';
            default:
                break;
        }
    }
    return 0;
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string FullWidthToAscii(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (!IsLeadByte(text[i])) {
            out += text[i++];
            continue;
        }
        if (i + 1 == text.size()) {
            break;
        }
        const char ascii = AsciiFormOf(static_cast<unsigned char>(text[i]),
                                       static_cast<unsigned char>(text[i + 1]));
        if (ascii != 0) {
            out += ascii;
        } else {
            out.append(text, i, 2);
        }
        i += 2;
    }
    return out;
}

std::int32_t TextToInteger(std::string_view text) {
    const std::string ascii = FullWidthToAscii(text);
    std::size_t i = 0;
    while (i < ascii.size() && IsWhiteSpace(ascii[i])) {
        ++i;
    }
    bool negative = false;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) {
        negative = ascii[i] == '-';
        ++i;
    }
    // Unsigned, so that the wrap-around is defined.
    std::uint32_t value = 0;
    for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(ascii[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace kestrune
