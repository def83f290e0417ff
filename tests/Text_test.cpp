#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"

namespace kestrune {
namespace {

// "東" is 0x96 0x7C in code page 936: its second byte is "|". 0x81 0x23 is stepped over as one
// two-byte character although it is no valid one, and its second byte is the "#" of a marker.
constexpr const char* kEastWithBar = "\x96|";

struct FindCase {
    std::string text;
    std::string what;
    int start;
    int expected;
};

TEST(Text, FindText) {
    const std::vector<FindCase> cases = {
        {"abc", "b", 1, 2},
        {"abc", "x", 1, -1},
        {"abc", "", 1, -1},
        {"", "a", 1, -1},
        {"ab", "abc", 1, -1},
        {"a|b|c", "|", 0, 2},   // a start at or below 1 searches from the beginning
        {"a|b|c", "|", -7, 2},  //
        {"a|b|c", "|", 2, 2},   // the start position itself is searched
        {"a|b|c", "|", 3, 4},   //
        {"a|b|c", "|", 5, -1},  //
        {"a|b|c", "|", 99, -1},
        {"ABC", "b", 1, -1},  // case-sensitive
        {std::string(kEastWithBar) + "a|", "|", 1, 4},
        {std::string(kEastWithBar), "|", 1, -1},
        {"\x81#onsole:1", "#onsole:", 1, -1},
        {"\x81##onsole:1", "#onsole:", 1, 3},
        {"\xB1\xA1|", "|", 2, 3},  // a start inside a character does not split it
        {"\xB1\xA1\xB1\xA1", "\xA1\xB1", 1, -1},
        {"\xB1\xA1\xB1\xA1", "\xB1\xA1", 2, 3},
        {"ab\xB1", "\xB1", 1, 3},  // a lead byte at the end is a character of its own
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(FindText(c.text, c.what, c.start), c.expected)
            << "text \"" << c.text << "\" what \"" << c.what << "\" start " << c.start;
    }
}

TEST(Text, FindLastChar) {
    EXPECT_EQ(FindLastChar("a|b|", '|'), 4);
    EXPECT_EQ(FindLastChar("a|b\x96|", '|'), 2);
    EXPECT_EQ(FindLastChar("", '|'), -1);
}

struct SplitCase {
    std::string text;
    std::string delimiter;
    std::vector<std::string> members;
};

TEST(Text, SplitText) {
    using M = std::vector<std::string>;
    const std::vector<SplitCase> cases = {
        {"", "|", M{}},
        {"a", "|", M{"a"}},
        {"a|b", "|", M{"a", "b"}},
        {"a|b|", "|", M{"a", "b"}},  // the empty rest after the last delimiter is no member
        {"|a", "|", M{"", "a"}},
        {"a||b", "|", M{"a", "", "b"}},
        {"|", "|", M{""}},
        {"||", "|", M{"", ""}},
        {"a|b||", "|", M{"a", "b", ""}},
        {std::string("x") + kEastWithBar + "|y", "|", M{std::string("x") + kEastWithBar, "y"}},
        {std::string(kEastWithBar) + kEastWithBar, "|",
         M{std::string(kEastWithBar) + kEastWithBar}},
        {"a|\xB1", "|", M{"a", "\xB1"}},
        {"l1\r\nl2\r\n", "\r\n", M{"l1", "l2"}},
        {"l1\r\n\r\nl3", "\r\n", M{"l1", "", "l3"}},
        {"l1\nstill\r\nl2", "\r\n", M{"l1\nstill", "l2"}},
        {"\xB1\r\n\r\n", "\r\n", M{"\xB1\r\n"}},  // 0xB1 0x0D is one character
        {"abc", "", M{"abc"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitText(c.text, c.delimiter), c.members)
            << "text \"" << c.text << "\" delimiter \"" << c.delimiter << "\"";
    }
}

TEST(Text, ReplaceAll) {
    EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");  // inserted text is not scanned again
    EXPECT_EQ(ReplaceAll("\xB1\r\n", "\r\n", "\n"), "\xB1\r\n");
    EXPECT_EQ(ReplaceAll("\x96|x|", "|", "/"), "\x96|x/");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace kestrune
