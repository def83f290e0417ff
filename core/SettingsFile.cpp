#include "core/SettingsFile.h"

#include <array>
#include <cstdint>

#include "core/Text.h"
#include "platform/FileSystem.h"

namespace kestrune {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A line break inside one of a server's texts would split its line; it is written as a lone
// line feed, which the line split at CR LF leaves alone.
std::string FoldLineBreaks(std::string_view text) {
    return ReplaceAll(text, "\r\n", "\n");
}

// The reverse for the remark: a lone line feed comes back as CR LF. A remark read from the file
// never holds CR LF (the line split cut there), so every line feed in it is a lone one. The scan
// steps over two-byte characters like the write does, so a line feed that is the second byte of
// a character stays as it was and the remark is written back byte for byte.
std::string UnfoldLineBreaks(std::string_view text) {
    return ReplaceAll(text, "\n", "\r\n");
}

}  // namespace

std::string SettingsCodec(std::string_view data, std::string_view key) {
    std::string out(data);
    if (data.empty() || key.empty()) {
        return out;
    }
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + static_cast<std::uint8_t>(key[i % key.size()]));
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (char& c : out) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        const auto k = s[static_cast<std::uint8_t>(s[a] + s[b])];
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ k);
    }
    return out;
}

std::string ExtractBetween(std::string_view text, std::string_view open, std::string_view close) {
    // Each search looks only at the rest of the text from a character start, so the text is
    // stepped through once in all, not once per piece: a file full of markers stays linear.
    std::string result;
    std::size_t start = 0;  // 0-based, always a character start
    for (int count = 0;; ++count) {
        const int b = FindText(text.substr(start), open);
        if (b == -1) {
            return result;  // empty when no opening marker was found at all
        }
        const std::size_t openAt = start + static_cast<std::size_t>(b) - 1;
        const int c = FindText(text.substr(openAt), close);
        if (c == -1) {
            return {};
        }
        const std::size_t closeAt = openAt + static_cast<std::size_t>(c) - 1;
        if (count > 0) {
            result += "||";
        }
        const std::size_t from = openAt + open.size();
        if (from < closeAt) {
            result.append(text.substr(from, closeAt - from));
        }
        // The next search starts at the first character start behind the closing marker.
        start = closeAt;
        while (start < closeAt + close.size()) {
            start += CharLengthAt(text, start);
        }
    }
}

std::string LoadSettings(const std::string& fileName) {
    const std::string plain = SettingsCodec(ReadWholeFile(fileName).value_or(""), kSettingsKey);
    return plain.substr(0, plain.find('\0'));
}

void ParseSettings(std::string_view settingsText, ServerList& list, LaunchOptionControls& options) {
    for (const std::string_view line : SplitTextViews(settingsText, kLineEnd)) {
        const std::vector<std::string_view> m = SplitTextViews(line, "|");
        if (m.size() >= 3) {
            ServerEntry e;
            e.address = m[0];
            e.port = m[1];
            e.account = m[2];
            if (m.size() > 3) {
                e.password = m[3];
            }
            if (m.size() > 4) {
                e.remark = UnfoldLineBreaks(m[4]);
            }
            list.Append(std::move(e));
        }
        const bool endsInOne = !line.empty() && line.back() == '1';
        if (FindText(line, kConsoleMarker) != -1) {
            if (endsInOne) {
                options.TurnConsoleOn();
            }
        } else if (FindText(line, kAdminMarker) != -1) {
            if (endsInOne) {
                options.TurnAdminOn();
            }
        } else if (FindText(line, kStartMarker) != -1) {
            options.SelectResolution(endsInOne ? Resolution::R1024x768 : Resolution::R800x600);
        }
    }
}

std::string ComposeSettingsText(const std::vector<ServerEntry>& entries,
                                const LaunchOptionControls& options,
                                std::string_view startupPassword) {
    std::string text;
    for (const ServerEntry& e : entries) {
        for (const std::string* field : {&e.address, &e.port, &e.account, &e.password}) {
            text += FoldLineBreaks(*field);
            text += '|';
        }
        text += FoldLineBreaks(e.remark);
        text += kLineEnd;
    }
    if (options.IsConsoleOn()) {
        text += "#onsole:1\r\n";
    }
    if (options.IsAdminOn()) {
        text += "#admin:1\r\n";
    }
    text += options.IsResolutionSelected(Resolution::R1024x768) ? "#Start:1\r\n" : "#Start:0\r\n";
    text += kPasswordOpen;
    text += startupPassword;
    text += kPasswordClose;
    text += kLineEnd;
    return text;
}

bool SaveSettings(const std::string& fileName, const ServerList& list,
                  const LaunchOptionControls& options, std::string_view startupPassword) {
    const std::string plain = ComposeSettingsText(list.Entries(), options, startupPassword);
    return ReplaceFileAtomically(fileName, SettingsCodec(plain, kSettingsKey));
}

}  // namespace kestrune
