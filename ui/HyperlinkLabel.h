#pragma once

#include <QLabel>

namespace kestrune {

// The maker's web site, opened by the hyperlink label.
inline constexpr const char* kMakerSite = "https://brelquin.example/";

// A one-line label that opens the maker's web site on a left-button press: blue, dark blue while
// the mouse is over it, dark red once the site has been opened from it, with a hand pointer.
class HyperlinkLabel : public QLabel {
    Q_OBJECT
public:
    HyperlinkLabel(const QString& caption, QWidget* parent);

    bool Visited() const { return visited_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void UpdateColour();

    bool hovered_ = false;
    bool visited_ = false;
};

}  // namespace kestrune
