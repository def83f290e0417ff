#include "ui/CaptionGroupBox.h"

#include <QPainter>
#include <algorithm>

namespace kestrune {

CaptionGroupBox::CaptionGroupBox(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {}

void CaptionGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int lineY = metrics.height() / 2;

    const QRect frame(0, lineY, width() - 1, height() - lineY - 1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));

    if (title().isEmpty()) {
        return;
    }
    const int textWidth = metrics.horizontalAdvance(title());
    const QRect titleArea(6, 0, std::min(textWidth + 4, width() - 12), metrics.height());
    painter.fillRect(titleArea, palette().window());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(titleArea.adjusted(2, 0, -2, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title());
}

}  // namespace kestrune
