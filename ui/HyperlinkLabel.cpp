#include "ui/HyperlinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace kestrune {

namespace {
const QColor kLinkColour(0, 0, 255);
const QColor kHoverColour(10, 36, 106);
const QColor kVisitedColour(128, 0, 0);
}  // namespace

HyperlinkLabel::HyperlinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    UpdateColour();
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    UpdateColour();
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    UpdateColour();
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    // A browser that cannot be started is not reported.
    if (QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite)))) {
        visited_ = true;
        UpdateColour();
    }
}

void HyperlinkLabel::UpdateColour() {
    QPalette p = palette();
    const QColor& colour = hovered_ ? kHoverColour : visited_ ? kVisitedColour : kLinkColour;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, colour);
    }
    setPalette(p);
}

}  // namespace kestrune
