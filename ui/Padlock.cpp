#include "ui/Padlock.h"

#include <QColor>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>

namespace kestrune {

namespace {

constexpr int kSide = 32;

void DrawShackle(QPainter& painter) {
    // A U open at the bottom; its legs end inside the body.
    QPainterPath shackle;
    shackle.moveTo(10.5, 17);
    shackle.lineTo(10.5, 10);
    shackle.arcTo(QRectF(10.5, 3.5, 11, 13), 180, -180);
    shackle.lineTo(21.5, 17);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(88, 92, 98), 5.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(shackle);

    QLinearGradient steel(8, 0, 24, 0);
    steel.setColorAt(0.0, QColor(150, 155, 162));
    steel.setColorAt(0.3, QColor(226, 230, 235));
    steel.setColorAt(0.7, QColor(170, 175, 182));
    steel.setColorAt(1.0, QColor(130, 135, 142));
    painter.setPen(QPen(QBrush(steel), 3.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(shackle);
}

void DrawBody(QPainter& painter) {
    const QRectF body(5.5, 14.5, 21, 16);
    QLinearGradient gold(0, body.top(), 0, body.bottom());
    gold.setColorAt(0.0, QColor(255, 214, 92));
    gold.setColorAt(0.45, QColor(247, 170, 28));
    gold.setColorAt(1.0, QColor(206, 112, 8));
    painter.setPen(QPen(QColor(140, 72, 0), 1.0));
    painter.setBrush(gold);
    painter.drawRoundedRect(body, 3, 3);

    // A light edge under the top of the body.
    painter.setPen(QPen(QColor(255, 238, 170), 1.0));
    painter.drawLine(QPointF(8.5, 16.5), QPointF(23.5, 16.5));

    // The keyhole.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 48, 0));
    painter.drawEllipse(QPointF(16, 21.5), 2.5, 2.5);
    QPainterPath slot;
    slot.moveTo(15, 22.5);
    slot.lineTo(17, 22.5);
    slot.lineTo(17.6, 27);
    slot.lineTo(14.4, 27);
    slot.closeSubpath();
    painter.drawPath(slot);
}

QImage DrawPadlock() {
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawShackle(painter);
    DrawBody(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

QImage PadlockImage() {
    static const QImage image = DrawPadlock();
    return image;
}

void ShowPadlock(QLabel& pictureBox) {
    pictureBox.setAlignment(Qt::AlignCenter);
    pictureBox.setPixmap(QPixmap::fromImage(PadlockImage()));
}

}  // namespace kestrune
