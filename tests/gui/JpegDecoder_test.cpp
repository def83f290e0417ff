#include "ui/JpegDecoder.h"

#include <gtest/gtest.h>

#include <QFile>

namespace kestrune {
namespace {

QByteArray Banner() {
    QFile file(QStringLiteral(":/banner.jpg"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(JpegDecoder, DecodesTheBuiltInBanner) {
    const QImage image = DecodeJpeg(Banner());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(470, 60));
    // A blue gradient: blue dominates at both ends.
    for (const QPoint p : {QPoint(2, 2), QPoint(467, 57)}) {
        const QColor c = image.pixelColor(p);
        EXPECT_GT(c.blue(), c.red());
        EXPECT_GT(c.blue(), c.green());
    }
}

// libjpeg reports errors by calling its error handler, which by default ends the process.
TEST(JpegDecoder, APictureThatDoesNotDecodeGivesANullImage) {
    const QByteArray banner = Banner();
    QByteArray badHeader = banner;
    for (int i = 2; i < 40 && i < badHeader.size(); ++i) {
        badHeader[i] = '\x5A';
    }
    QByteArray noFrame = banner.left(2) + QByteArray("\xFF\xD9", 2);
    for (const QByteArray& data : {QByteArray(), QByteArray("not a picture"),
                                   QByteArray("\xFF\xD8\xFF", 3), badHeader, noFrame}) {
        EXPECT_TRUE(DecodeJpeg(data).isNull()) << data.size();
    }
    // A cut picture may decode in part or not at all; either way the process goes on.
    (void)DecodeJpeg(banner.left(banner.size() / 2));
}

}  // namespace
}  // namespace kestrune
