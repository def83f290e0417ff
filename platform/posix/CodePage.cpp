#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace kestrune {

namespace {

// One converter per thread and direction: iconv_t is not safe to share, and opening one per
// call would dominate the cost of filling a long list.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (valid()) {
            ::iconv_close(cd_);
        }
    }
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns false at a sequence it cannot convert, leaving `in`
    // at that sequence.
    bool Convert(const char*& in, std::size_t& inLeft, std::string& out) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc =
                ::iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::u16string Cp936ToUtf16(std::string_view bytes) {
    std::u16string result;
    if (IsAscii(bytes)) {
        result.assign(bytes.begin(), bytes.end());
        return result;
    }
    thread_local Converter converter("UTF-16LE", "CP936");
    std::string out;
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0 && !(converter.valid() && converter.Convert(in, left, out))) {
        // Replace the byte that does not convert and go on with the next one (every byte beyond
        // ASCII when the system has no converter for the code page).
        const char c = *in;
        out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        out.push_back('\0');
        ++in;
        --left;
    }
    result.resize(out.size() / 2);
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                          (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    }
    return result;
}

std::optional<std::string> Utf16ToCp936(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    thread_local Converter converter("CP936", "UTF-16LE");
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    std::string out;
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    if (!converter.valid() || !converter.Convert(in, left, out)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace kestrune
