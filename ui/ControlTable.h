#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <span>

class QDialog;

namespace kestrune {

enum class ControlKind {
    PictureBox,   // QLabel with a thin sunken edge
    GroupBox,     // CaptionGroupBox (a QGroupBox)
    ListView,     // ServerListView (a QTableView) in report style
    PushButton,   // CaptionButton
    LineEdit,     // QLineEdit without length limit
    TextEdit,     // QPlainTextEdit, word wrap, no scroll bars
    CheckBox,     // QCheckBox
    RadioButton,  // QRadioButton
    Label,        // QLabel, right-aligned, vertically centred, one line
    Hyperlink,    // HyperlinkLabel
};

// Settings that the window tables give beside a control's caption.
enum ControlFlag : unsigned {
    kPlain = 0,
    kDisabled = 1U << 0,
    kDefaultButton = 1U << 1,
    kReadOnly = 1U << 2,
    kSongTi12 = 1U << 3,  // "宋体", 12 pixels high
    kBold = 1U << 4,
    kSunkenEdge = 1U << 5,
};

// One line of a window's control table. Positions and sizes are pixels in the client area of
// the parent, which is the window itself or a control of an earlier line.
struct ControlRow {
    const char* name;  // the control's objectName
    ControlKind kind;
    const char* parent;  // nullptr: the window
    int x;
    int y;
    int width;
    int height;
    const char* caption;  // UTF-8; the initial text of a box
    unsigned flags;
};

// The window sizes of the tables are outer sizes on the platform they were drawn on: a fixed
// dialog frame on both sides and a caption bar. The client area is what remains.
inline constexpr int kFrameAllowanceWidth = 6;
inline constexpr int kFrameAllowanceHeight = 25;

QSize ClientSizeFor(QSize outerSize);

// A fixed-size window with a title bar and a close box only, the button-face colour, centred on
// the screen.
void PrepareFixedWindow(QDialog& window, const QString& caption, QSize outerSize);

// Creates the controls of `rows` in order, each named after its line.
void BuildControls(QWidget& window, std::span<const ControlRow> rows);

// A control that BuildControls made, by its name.
template <typename T>
T* Control(const QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromUtf8(name));
    Q_ASSERT(control != nullptr);
    return control;
}

}  // namespace kestrune
