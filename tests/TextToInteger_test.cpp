#include "probe/TextToInteger.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "probe/TryTcpConnect.h"

namespace kestrune {
namespace {

struct PortCase {
    std::string text;
    std::int32_t value;
    std::uint16_t port;  // the port the attempt uses
};

TEST(TextToInteger, PortTexts) {
    const PortCase cases[] = {
        {"3389", 3389, 3389},
        {" 3389", 3389, 3389},
        {"3389a", 3389, 3389},
        {"\xA3\xB3\xA3\xB3\xA3\xB8\xA3\xB9", 3389, 3389},  // full-width digits
        {"", 0, 1},
        {"abc", 0, 1},
        {"0", 0, 1},
        {"-1", -1, 1},
        {"70000", 70000, 70000 % 65536},
        {"65535", 65535, 65535},
        {"65536", 65536, 0},  // the clamp comes before the cut to 16 bits
        {"\t\n\v\f\r 80", 80, 80},
        {"\xA1\xA1"
         "80",
         80, 80},  // ideographic space
        {"+80", 80, 80},
        {"\xA3\xAB"
         "80",
         80, 80},                     // full-width plus
        {"\xA3\xAD\xA3\xB1", -1, 1},  // full-width minus, full-width one
        {"+-80", 0, 1},
        {"- 80", 0, 1},
        {"80 81", 80, 80},
        {"\xB0\xA1"
         "80",
         0, 1},  // another two-byte character first
        {"2147483647", 2147483647, 65535},
        {"-2147483648", INT32_MIN, 1},
        {"2147483648", INT32_MIN, 1},  // wraps around
        {"4294970685", 3389, 3389},    // 2^32 + 3389
        {"-4294967295", 1, 1},
        {"99999999999999999999", static_cast<std::int32_t>(1661992959u), 65535},
    };
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToInteger(c.text), c.value);
        EXPECT_EQ(AttemptPort(TextToInteger(c.text)), c.port);
    }
}

TEST(TextToInteger, FullWidthCharactersBecomeAscii) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xA3\xA1\xA3\xFE", "!~"},  // the whole 0xA3 0xA1..0xFE range
        {"\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF", " ~**"},
        {"\xA3\xA0\xA3\xFF\xA3\x41", "\xA3\xA0\xA3\xFF\xA3\x41"},  // outside the range: kept
        {"\xD4\xDA"
         "1",
         "\xD4\xDA"
         "1"},                         // other two-byte characters are kept
        {"1\xA3", "1"},                // a lone lead byte at the end is dropped
        {"\xB0\xA3\xB3", "\xB0\xA3"},  // 0xA3 0xB3 here is not a character
        {std::string("1\0"
                     "2",
                     3),
         std::string("1\0"
                     "2",
                     3)},
    };
    for (const auto& [text, ascii] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FullWidthToAscii(text), ascii);
    }
}

}  // namespace
}  // namespace kestrune
