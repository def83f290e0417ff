#include "ui/ControlTable.h"

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <limits>

#include "ui/CaptionButton.h"
#include "ui/CaptionGroupBox.h"
#include "ui/Fonts.h"
#include "ui/HyperlinkLabel.h"
#include "ui/ServerListView.h"

namespace kestrune {

namespace {

void SetSunkenEdge(QFrame& frame) {
    frame.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame.setLineWidth(1);
}

// A white box with black text, as the system's edit boxes.
void SetBoxColours(QWidget& box) {
    QPalette p = box.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::Text, Qt::black);
    }
    box.setPalette(p);
}

QWidget* MakeControl(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case ControlKind::PictureBox: {
            auto* box = new QLabel(parent);
            box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return box;
        }
        case ControlKind::GroupBox:
            return new CaptionGroupBox(caption, parent);
        case ControlKind::ListView:
            return new ServerListView(parent);
        case ControlKind::PushButton:
            return new CaptionButton(caption, parent);
        case ControlKind::LineEdit: {
            auto* box = new QLineEdit(parent);
            // No length limit: the default would cut a text at 32,767 characters.
            box->setMaxLength(std::numeric_limits<int>::max());
            box->setText(caption);
            SetBoxColours(*box);
            return box;
        }
        case ControlKind::TextEdit: {
            auto* box = new QPlainTextEdit(parent);
            box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            box->setTabChangesFocus(true);
            box->setPlainText(caption);
            SetBoxColours(*box);
            return box;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(caption, parent);
        case ControlKind::RadioButton:
            return new QRadioButton(caption, parent);
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setWordWrap(false);
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, Qt::black);
            label->setPalette(p);
            return label;
        }
        case ControlKind::Hyperlink:
            return new HyperlinkLabel(caption, parent);
    }
    return nullptr;
}

void ApplyFlags(QWidget& control, unsigned flags) {
    if ((flags & kSongTi12) != 0) {
        control.setFont(SongTiFont(12, (flags & kBold) != 0));
    } else if ((flags & kBold) != 0) {
        QFont f = control.font();
        f.setBold(true);
        control.setFont(f);
    }
    if ((flags & kSunkenEdge) != 0) {
        if (auto* frame = qobject_cast<QFrame*>(&control)) {
            SetSunkenEdge(*frame);
        }
    }
    if ((flags & kReadOnly) != 0) {
        if (auto* text = qobject_cast<QPlainTextEdit*>(&control)) {
            text->setReadOnly(true);
        } else if (auto* line = qobject_cast<QLineEdit*>(&control)) {
            line->setReadOnly(true);
        }
    }
    if (auto* button = qobject_cast<CaptionButton*>(&control)) {
        // Enter clicks the window's default button even while another button has the focus.
        button->setAutoDefault(false);
        button->setDefault((flags & kDefaultButton) != 0);
    }
    if ((flags & kDisabled) != 0) {
        control.setEnabled(false);
    }
}

}  // namespace

QSize ClientSizeFor(QSize outerSize) {
    return outerSize - QSize(kFrameAllowanceWidth, kFrameAllowanceHeight);
}

void PrepareFixedWindow(QDialog& window, const QString& caption, QSize outerSize) {
    window.setWindowTitle(caption);
    // A normal window, not a dialog: every window of the program has its own taskbar button, and
    // a window manager does not treat it as transient for another.
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setSizeGripEnabled(false);
    window.setFixedSize(ClientSizeFor(outerSize));

    QPalette p = window.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, p.color(group, QPalette::Button));
    }
    window.setPalette(p);
    window.setAutoFillBackground(true);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect outer(QPoint(0, 0), outerSize);
        outer.moveCenter(screen->availableGeometry().center());
        window.move(outer.topLeft());
    }
}

void BuildControls(QWidget& window, std::span<const ControlRow> rows) {
    for (const ControlRow& row : rows) {
        QWidget* parent = &window;
        if (row.parent != nullptr) {
            parent = window.findChild<QWidget*>(QString::fromUtf8(row.parent));
            Q_ASSERT(parent != nullptr);
            if (parent == nullptr) {
                parent = &window;
            }
        }
        QWidget* control = MakeControl(row, parent);
        control->setObjectName(QString::fromUtf8(row.name));
        control->setGeometry(row.x, row.y, row.width, row.height);
        ApplyFlags(*control, row.flags);
    }
}

}  // namespace kestrune
