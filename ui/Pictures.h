#pragma once

#include <QImage>
#include <QPixmap>

namespace kestrune {

// The state images of the server list, numbered from 0: online (green), offline (red), unknown
// (yellow). Each is 12 x 13 pixels, a small monitor on a stand, with transparent corners.
inline constexpr int kStateImageCount = 3;
QImage StateImage(int number);

// The banner of the main window, decoded from the JPEG built into the program; a null pixmap
// when it does not decode.
QPixmap BannerPicture();

}  // namespace kestrune
