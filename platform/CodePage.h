#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// Code page 936 to UTF-16. A byte or pair that does not convert becomes "?" and the conversion
// goes on with the next byte; nothing after it is dropped.
std::u16string Cp936ToUtf16(std::string_view bytes);

// UTF-16 to code page 936; nothing when any character has no code page 936 form (or the text is
// not valid UTF-16).
std::optional<std::string> Utf16ToCp936(std::u16string_view text);

}  // namespace kestrune
