#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace kestrune {
namespace {

struct Pair {
    std::string cp936;
    std::u16string utf16;
};

TEST(CodePage, ConvertsBothWays) {
    const std::vector<Pair> pairs = {
        {"", u""},
        {"abc|\r\n", u"abc|\r\n"},
        {"\xD6\xD0\xCE\xC4", u"中文"},
        {"a\xD6\xD0"
         "b",
         u"a中b"},
        {"\x96|", u"東"},  // second byte "|"
        {"\xA8\xA6", u"é"},
        {"\x80", u"€"},  // the single-byte euro sign of this code page
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(Cp936ToUtf16(p.cp936), p.utf16) << p.cp936;
        EXPECT_EQ(Utf16ToCp936(p.utf16), p.cp936) << p.cp936;
    }
}

// Longer than the converter's buffer in both directions.
TEST(CodePage, ConvertsLongTexts) {
    std::string cp936;
    std::u16string utf16;
    for (int i = 0; i < 5000; ++i) {
        cp936 += "\xD6\xD0x";
        utf16 += u"中x";
    }
    EXPECT_EQ(Cp936ToUtf16(cp936), utf16);
    EXPECT_EQ(Utf16ToCp936(utf16), cp936);
}

TEST(CodePage, ReplacesWhatDoesNotConvertAndKeepsTheRest) {
    const std::vector<Pair> cases = {
        {"\xD6\xD0\xFF\xCE\xC4", u"中?文"},
        {"\x81 ab", u"? ab"},  // a lead byte whose second byte is no trail byte
        {"ab\xD6", u"ab?"},    // a lead byte at the end
        {"\xFF\xFF"
         "c",
         u"??c"},
    };
    for (const Pair& c : cases) {
        EXPECT_EQ(Cp936ToUtf16(c.cp936), c.utf16) << c.cp936;
    }
}

TEST(CodePage, RefusesWhatHasNoCodePageForm) {
    EXPECT_EQ(Utf16ToCp936(u"\U0001F600"), std::nullopt);
    EXPECT_EQ(Utf16ToCp936(u"中\U0001F600文"), std::nullopt);
    EXPECT_EQ(Utf16ToCp936(std::u16string(1, char16_t{0xD800}) + u"a"), std::nullopt);
}

}  // namespace
}  // namespace kestrune
