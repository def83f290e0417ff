#include "ui/ByteLimitValidator.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/CodePage.h"

namespace kestrune {

namespace {

qsizetype CharLength(QStringView text, qsizetype i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        return 2;
    }
    return 1;
}

// A character without a code page 936 form counts two: it is refused or never matches later,
// and must not let the box take more than it could store.
int CharBytes(QStringView character) {
    if (character.size() == 1 && character[0].unicode() < 0x80) {
        return 1;
    }
    const std::optional<std::string> bytes =
        Utf16ToCp936(std::u16string_view(reinterpret_cast<const char16_t*>(character.utf16()),
                                         static_cast<std::size_t>(character.size())));
    return bytes ? static_cast<int>(bytes->size()) : 2;
}

struct Prefix {
    qsizetype length = 0;  // UTF-16 units, whole characters only
    int bytes = 0;
};

// The longest prefix of whole characters that takes at most `budget` bytes. Stops at the first
// character that does not fit, so a long paste costs no more than the limit.
Prefix FittingPrefix(QStringView text, int budget) {
    Prefix prefix;
    while (prefix.length < text.size()) {
        const qsizetype n = CharLength(text, prefix.length);
        const int bytes = CharBytes(text.mid(prefix.length, n));
        if (prefix.bytes + bytes > budget) {
            break;
        }
        prefix.bytes += bytes;
        prefix.length += n;
    }
    return prefix;
}

}  // namespace

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ByteLimitValidator::validate(QString& input, int& pos) const {
    if (FittingPrefix(input, maxBytes_).length == input.size()) {
        return Acceptable;
    }
    // The text before the cursor ends with what was just typed or pasted, and the text after it
    // was there before: cut the new text, keeping its beginning.
    const QStringView head = QStringView(input).left(pos);
    const QStringView tail = QStringView(input).mid(pos);
    const Prefix tailFit = FittingPrefix(tail, maxBytes_);
    if (tailFit.length == tail.size()) {
        const qsizetype keep = FittingPrefix(head, maxBytes_ - tailFit.bytes).length;
        input = head.left(keep).toString() + tail.toString();
        pos = static_cast<int>(keep);
    } else {
        input.truncate(FittingPrefix(input, maxBytes_).length);
        pos = std::min(pos, static_cast<int>(input.size()));
    }
    return Acceptable;
}

}  // namespace kestrune
