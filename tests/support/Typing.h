#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace kestrune::testing {

// Types a text into a widget as a user would: plain keys for ASCII, and for every other
// character the commit of an input method, which is how Chinese reaches a box.
inline void TypeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, n));
        QApplication::sendEvent(widget, &commit);
        i += n - 1;
    }
}

}  // namespace kestrune::testing
