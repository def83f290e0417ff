#pragma once

#include <QValidator>

namespace kestrune {

// Holds an edit box's text to a number of code page 936 bytes, as the box's text will be stored:
// a Chinese character counts two. What is typed or pasted beyond the limit is cut, keeping the
// longest part of it that fits, instead of refusing the whole insertion.
class ByteLimitValidator : public QValidator {
    Q_OBJECT
public:
    ByteLimitValidator(int maxBytes, QObject* parent);

    State validate(QString& input, int& pos) const override;

private:
    int maxBytes_;
};

}  // namespace kestrune
