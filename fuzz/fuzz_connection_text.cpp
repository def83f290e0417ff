// What the client adapter reads from a connection file and its command line: any bytes as the
// file, and the same bytes split at blanks as the switches.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "launch/client/RdpClientAdapter.h"

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// A line's name as FreeRDP compares it: without surrounding blanks, in lowercase.
std::string LowerTrimmedName(std::string_view line) {
    std::string_view name = line.substr(0, line.find(':'));
    const std::size_t first = name.find_first_not_of(" \t");
    name = first == std::string_view::npos ? std::string_view() : name.substr(first);
    std::string out;
    for (char c : name) {
        out.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrune;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const ConnectionFileContent content = ReadConnectionText(input);
    KESTRUNE_FUZZ_CHECK(IsValidUtf8(content.freeRdpText));
    KESTRUNE_FUZZ_CHECK(IsValidUtf8(content.account));
    // Nothing that names a password reaches the plain copy, nor a line FreeRDP would run as an
    // option.
    std::size_t start = 0;
    while (start < content.freeRdpText.size()) {
        std::size_t end = content.freeRdpText.find_first_of("\r\n", start);
        end = end == std::string::npos ? content.freeRdpText.size() : end;
        const std::string_view line =
            std::string_view(content.freeRdpText).substr(start, end - start);
        KESTRUNE_FUZZ_CHECK(!line.starts_with('/'));
        if (line.find(':') != std::string_view::npos &&
            line.find(':', line.find(':') + 1) != std::string_view::npos) {
            KESTRUNE_FUZZ_CHECK(!LowerTrimmedName(line).starts_with("password"));
        }
        start = end + 1;
    }

    std::vector<std::string> words;
    std::string word;
    for (char c : input) {
        if (c == ' ' || c == '\n') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    const TranslatedSwitches switches = TranslateSwitches(words);
    KESTRUNE_FUZZ_CHECK(switches.arguments.size() + switches.ignored.size() <= words.size());
    for (const std::string& argument : switches.arguments) {
        const bool admin = argument == "/admin";
        const bool dimension = argument.size() > 3 && argument[0] == '/' &&
                               (argument[1] == 'w' || argument[1] == 'h') && argument[2] == ':' &&
                               argument.find_first_not_of("0123456789", 3) == std::string::npos;
        KESTRUNE_FUZZ_CHECK(admin || dimension);
    }
    return 0;
}
