#pragma once

#include <QByteArray>
#include <QImage>

namespace kestrune {

// Decodes a JPEG picture with libjpeg. A picture that does not decode gives a null image; a
// libjpeg error never ends the process.
QImage DecodeJpeg(const QByteArray& data);

}  // namespace kestrune
