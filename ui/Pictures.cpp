#include "ui/Pictures.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <array>

#include "ui/JpegDecoder.h"

namespace kestrune {

namespace {

// F frame, S screen, H highlight on the screen, . transparent.
constexpr std::array<const char*, 13> kMonitor = {
    ".FFFFFFFFFF.",  //
    "FHHSSSSSSSSF",  //
    "FHSSSSSSSSSF",  //
    "FSSSSSSSSSSF",  //
    "FSSSSSSSSSSF",  //
    "FSSSSSSSSSSF",  //
    "FSSSSSSSSSSF",  //
    "FSSSSSSSSSSF",  //
    ".FFFFFFFFFF.",  //
    ".....FF.....",  //
    ".....FF.....",  //
    "...FFFFFF...",  //
    "..FFFFFFFF..",  //
};

struct Colours {
    QColor frame;
    QColor screen;
    QColor highlight;
};

const std::array<Colours, kStateImageCount> kColours = {{
    {QColor(0, 100, 0), QColor(0, 200, 0), QColor(160, 255, 160)},      // online
    {QColor(128, 0, 0), QColor(230, 0, 0), QColor(255, 160, 160)},      // offline
    {QColor(128, 128, 0), QColor(255, 230, 0), QColor(255, 255, 190)},  // unknown
}};

QImage DrawStateImage(const Colours& colours) {
    QImage image(12, static_cast<int>(kMonitor.size()), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y) {
        const char* line = kMonitor[static_cast<std::size_t>(y)];
        for (int x = 0; x < image.width(); ++x) {
            switch (line[x]) {
                case 'F':
                    image.setPixelColor(x, y, colours.frame);
                    break;
                case 'S':
                    image.setPixelColor(x, y, colours.screen);
                    break;
                case 'H':
                    image.setPixelColor(x, y, colours.highlight);
                    break;
                default:
                    break;
            }
        }
    }
    return image;
}

}  // namespace

QImage StateImage(int number) {
    static const std::array<QImage, kStateImageCount> images = {
        DrawStateImage(kColours[0]), DrawStateImage(kColours[1]), DrawStateImage(kColours[2])};
    if (number < 0 || number >= kStateImageCount) {
        return {};
    }
    return images[static_cast<std::size_t>(number)];
}

QPixmap BannerPicture() {
    QFile file(QStringLiteral(":/banner.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QImage image = DecodeJpeg(file.readAll());
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace kestrune
