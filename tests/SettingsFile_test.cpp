#include <gtest/gtest.h>

#include "core/SettingsFile.h"

namespace kestrune {
namespace {

TEST(SettingsFile, FirstSaveWritesTwoLines) {
    LaunchOptionValues options;
    EXPECT_EQ(ComposeSettingsText({}, options, ""), "#Start:0\r\n#LoadinPass:<>\r\n");
}

}  // namespace
}  // namespace kestrune
