#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/TextLimits.h"

namespace kestrune {

// The window side of the code page boundary: texts are shown as Unicode and stored as code page
// 936 bytes.
QString ToDisplayText(const std::string& bytes);

// A text put into a box. As long as the box still shows it, the original bytes are given back,
// also when they do not convert cleanly for display.
class ShownText {
public:
    ShownText() = default;
    ShownText(std::string original, QString shown)
        : original_(std::move(original)), shown_(std::move(shown)) {}

    bool IsUnchanged(const QString& now) const { return now == shown_; }
    const std::string& Original() const { return original_; }

private:
    std::string original_;
    QString shown_;
};

// The code page 936 bytes of a typed text, or why the settings file could not hold them.
struct TypedText {
    std::string bytes;
    std::optional<TextFault> fault;
};
TypedText ConvertTypedText(const QString& typed, SettingsTextKind kind);

// The message that refuses a text typed into the field named `fieldName`.
QString TextFaultMessage(const QString& fieldName, TextFault fault);
void ShowTextFaultMessage(const QString& fieldName, TextFault fault);

}  // namespace kestrune
