#pragma once

#include <cstdint>
#include <string_view>

namespace kestrune {

// The number a port text stands for. Full-width characters count as their ASCII forms (so
// full-width digits and signs are read as digits and signs); then white space is skipped, one
// "+" or "-" is taken, and decimal digits are read up to the first other character. No digits
// gives 0. There is no overflow check: the value wraps around in 32 bits.
std::int32_t TextToInteger(std::string_view text);

// The code page 936 text with its full-width characters turned into ASCII: 0xA3 0xA1..0xFE
// becomes the second byte's low seven bits, the ideographic space a space, 0xA1 0xAB "~", and
// 0xA1 0xEE and 0xA1 0xEF "*". Other characters stay; a lead byte without its second byte at the
// very end is dropped.
std::string FullWidthToAscii(std::string_view text);

}  // namespace kestrune
