#pragma once

#include <QGroupBox>

namespace kestrune {

// A group box drawn as the system draws it: an etched frame whose top line runs through the
// middle of the caption, so that controls placed just under the caption leave the frame whole.
class CaptionGroupBox : public QGroupBox {
    Q_OBJECT
public:
    CaptionGroupBox(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrune
