// SplitText, FindText and ReplaceAll on any text and delimiter: the first byte gives the
// delimiter's length (1 to 4), the delimiter follows, the rest is the text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Text.h"
#include "fuzz/FuzzCheck.h"

namespace {

std::string Join(const std::vector<std::string>& members, std::string_view delimiter) {
    std::string out;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i > 0) {
            out += delimiter;
        }
        out += members[i];
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrune;
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t length = std::min<std::size_t>(data[0] % 4u + 1, size - 1);
    const std::string_view delimiter = input.substr(1, length);
    const std::string_view text = input.substr(1 + length);
    if (delimiter.empty()) {
        return 0;
    }

    const std::vector<std::string> members = SplitText(text, delimiter);
    // Joining the members gives the text back, less a delimiter that ended it.
    const std::string joined = Join(members, delimiter);
    KESTRUNE_FUZZ_CHECK(joined == text || joined + std::string(delimiter) == text);
    KESTRUNE_FUZZ_CHECK(text.empty() == members.empty());
    for (const std::string& m : members) {
        KESTRUNE_FUZZ_CHECK(FindText(m, delimiter) == -1);
    }
    // The search and the replacement step through the text exactly as the split does.
    const int first = FindText(text, delimiter);
    if (first == -1) {
        KESTRUNE_FUZZ_CHECK(members.size() <= 1 && joined == text);
    } else {
        KESTRUNE_FUZZ_CHECK(static_cast<std::size_t>(first) == members.front().size() + 1);
    }
    KESTRUNE_FUZZ_CHECK(ReplaceAll(text, delimiter, "") == Join(members, ""));
    KESTRUNE_FUZZ_CHECK(ReplaceAll(text, delimiter, delimiter) == text);
    const int last = FindLastChar(text, delimiter[0]);
    KESTRUNE_FUZZ_CHECK(last == -1 || text[static_cast<std::size_t>(last - 1)] == delimiter[0]);
    return 0;
}
