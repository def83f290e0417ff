#pragma once

#include <QPushButton>

namespace kestrune {

// A push button whose caption is centred both ways and wraps onto a second line when it does not
// fit, as the system's buttons do. A CR LF in the caption breaks the line.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    CaptionButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrune
