#pragma once

#include <QFont>

namespace kestrune {

// "宋体" at a size in pixels; where it is not installed, another font that has the Chinese
// characters stands in for it.
QFont SongTiFont(int pixelSize, bool bold = false);

}  // namespace kestrune
