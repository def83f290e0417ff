#include "ui/Pictures.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(Pictures, StateImagesAreSmallMonitorsInTheirColours) {
    struct Expected {
        int image;
        const char* name;
        bool red, green, blue;  // which channels are strong on the screen
    };
    for (const Expected& e : {Expected{0, "online: green", false, true, false},
                              Expected{1, "offline: red", true, false, false},
                              Expected{2, "unknown: yellow", true, true, false}}) {
        const QImage image = StateImage(e.image);
        ASSERT_EQ(image.size(), QSize(12, 13)) << e.name;
        for (const QPoint corner : {QPoint(0, 0), QPoint(11, 0), QPoint(0, 12), QPoint(11, 12)}) {
            EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << e.name;
        }
        const QColor screen = image.pixelColor(6, 5);
        EXPECT_EQ(screen.alpha(), 255) << e.name;
        EXPECT_EQ(screen.red() > 180, e.red) << e.name;
        EXPECT_EQ(screen.green() > 180, e.green) << e.name;
        EXPECT_EQ(screen.blue() > 180, e.blue) << e.name;
    }
    EXPECT_TRUE(StateImage(3).isNull());
    EXPECT_TRUE(StateImage(-1).isNull());
}

TEST(Pictures, TheBannerIsBuiltIn) {
    EXPECT_EQ(BannerPicture().size(), QSize(470, 60));
}

}  // namespace
}  // namespace kestrune
