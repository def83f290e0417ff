// ParseSettings on any settings text, then the save and a second parse: the servers come back
// as they were, and the options as they were or with more of them on (a server line may carry a
// marker that its cut-off tail hid before).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingsFile.h"
#include "core/Text.h"
#include "fuzz/FuzzCheck.h"

namespace {

// The format cannot hold a text that ends in a lone first byte of a two-byte character: written
// back, that byte pairs with the next delimiter. Only a file's very last byte can be one.
bool EndsInLoneLeadByte(std::string_view text) {
    std::size_t i = 0;
    std::size_t last = text.size();
    while (i < text.size()) {
        last = i;
        i += kestrune::CharLengthAt(text, i);
    }
    return last + 1 == text.size() && kestrune::IsLeadByte(text[last]);
}

// Parses `text`, saves what it found and parses that again.
void CheckRoundTrip(std::string_view text) {
    using namespace kestrune;
    ServerList first;
    LaunchOptionValues firstOptions;
    ParseSettings(text, first, firstOptions);
    const std::vector<ServerEntry> entries = first.Entries();
    for (const ServerEntry& e : entries) {
        KESTRUNE_FUZZ_CHECK(e.status == ServerStatus::Unknown);
    }

    const std::string saved = ComposeSettingsText(entries, firstOptions, "");
    ServerList second;
    LaunchOptionValues secondOptions;
    ParseSettings(saved, second, secondOptions);
    KESTRUNE_FUZZ_CHECK(second.Entries() == entries);
    KESTRUNE_FUZZ_CHECK(secondOptions.console >= firstOptions.console);
    KESTRUNE_FUZZ_CHECK(secondOptions.admin >= firstOptions.admin);
    KESTRUNE_FUZZ_CHECK(secondOptions.r1024x768 == firstOptions.r1024x768);
    KESTRUNE_FUZZ_CHECK(secondOptions.r800x600 == !firstOptions.r1024x768);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrune;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (EndsInLoneLeadByte(text)) {
        // Parsing must still hold up; the round trip is checked without that byte.
        ServerList list;
        LaunchOptionValues options;
        ParseSettings(text, list, options);
        CheckRoundTrip(text.substr(0, size - 1));
    } else {
        CheckRoundTrip(text);
    }

    // What LoadSettings reads: the same call deciphers what it enciphered.
    KESTRUNE_FUZZ_CHECK(SettingsCodec(SettingsCodec(text, kSettingsKey), kSettingsKey) == text);
    return 0;
}
