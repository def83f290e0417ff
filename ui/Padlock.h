#pragma once

#include <QImage>

class QLabel;

namespace kestrune {

// The padlock of the two password windows: a closed padlock, grey steel shackle and
// golden-orange body, 32 x 32 pixels with transparent surroundings. Drawn once, in code.
QImage PadlockImage();

// Shows the padlock centred in a picture box.
void ShowPadlock(QLabel& pictureBox);

}  // namespace kestrune
