#pragma once

#include <QImage>

namespace kestrune {

// The padlock of the two password windows: a closed padlock, grey steel shackle and
// golden-orange body, 32 x 32 pixels with transparent surroundings. Drawn once, in code.
QImage PadlockImage();

}  // namespace kestrune
