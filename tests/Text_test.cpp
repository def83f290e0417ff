#include <gtest/gtest.h>

#include "core/Text.h"

namespace kestrune {
namespace {

TEST(Text, FindsOnlyAtCharacterStarts) {
    // 0xB1 0x7C is one two-byte character whose second byte is "|".
    EXPECT_EQ(FindText("\xB1|a|", "|"), 4);
    EXPECT_EQ(FindText("abc", "x"), -1);
}

}  // namespace
}  // namespace kestrune
