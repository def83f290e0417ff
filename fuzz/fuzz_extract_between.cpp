// ExtractBetween on any text: with the start-up password markers when the first byte is even,
// otherwise with markers taken from the input (the first byte's bits give their lengths).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/SettingsFile.h"
#include "core/Text.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrune;
    if (size == 0) {
        return 0;
    }
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const unsigned char selector = static_cast<unsigned char>(input[0]);
    input.remove_prefix(1);
    std::string_view open = kPasswordOpen;
    std::string_view close = kPasswordClose;
    if (selector % 2 == 1) {
        const std::size_t openLength = std::min<std::size_t>((selector >> 1) % 8, input.size());
        open = input.substr(0, openLength);
        input.remove_prefix(openLength);
        const std::size_t closeLength = std::min<std::size_t>((selector >> 4) % 8, input.size());
        close = input.substr(0, closeLength);
        input.remove_prefix(closeLength);
    }
    const std::string_view text = input;

    const std::string result = ExtractBetween(text, open, close);
    if (FindText(text, open) == -1 || FindText(text, close) == -1) {
        KESTRUNE_FUZZ_CHECK(result.empty());
    }
    // Each piece and its "||" come from a stretch of the text at least as long, unless a
    // one-byte closing marker is the opening marker's first byte (then a stretch is one byte).
    if (!(close.size() == 1 && !open.empty() && open.front() == close.front())) {
        KESTRUNE_FUZZ_CHECK(result.size() <= text.size());
    } else {
        KESTRUNE_FUZZ_CHECK(result.size() <= 2 * text.size());
    }
    return 0;
}
