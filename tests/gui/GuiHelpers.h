#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QTableView>
#include <QTest>
#include <QWidget>
#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/ServerList.h"
#include "ui/Pictures.h"

// Failure messages show texts, not code units.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kestrune::testing {

// A control by its name from the window's table; fails the test when it is missing.
template <typename T>
T* Find(const QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// The caption of a label or a button, or the text of a one-line box.
inline QString Caption(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        return button->text();
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(&control)) {
        return box->text();
    }
    return {};
}

// One line of a window's table as a test expects it: class, geometry in the parent, caption.
struct ExpectedControl {
    const char* name;
    const char* type;
    QRect geometry;
    const char* caption;
};

inline void ExpectControls(const QWidget& window, const std::vector<ExpectedControl>& rows) {
    for (const ExpectedControl& row : rows) {
        auto* control = Find<QWidget>(window, row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_TRUE(control->inherits(row.type)) << row.name;
        EXPECT_EQ(control->geometry(), row.geometry) << row.name;
        EXPECT_EQ(Caption(*control), QString::fromUtf8(row.caption)) << row.name;
    }
}

// Processes events until `done` holds. The guard only turns a hang into a failure.
inline bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer guard;
    guard.start();
    while (!done()) {
        if (guard.elapsed() > 20000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets queued calls and deferred deletions run.
inline void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

inline ServerEntry Server(std::string address, std::string port, std::string account,
                          std::string password = {}, std::string remark = {}) {
    ServerEntry e;
    e.address = std::move(address);
    e.port = std::move(port);
    e.account = std::move(account);
    e.password = std::move(password);
    e.remark = std::move(remark);
    return e;
}

using Cells = std::array<QString, 4>;

inline std::vector<Cells> RowCells(const QTableView& list) {
    std::vector<Cells> rows;
    const QAbstractItemModel* m = list.model();
    for (int r = 0; r < m->rowCount(); ++r) {
        Cells cells;
        for (int c = 0; c < 4; ++c) {
            cells[static_cast<std::size_t>(c)] = m->index(r, c).data().toString();
        }
        rows.push_back(cells);
    }
    return rows;
}

inline std::vector<int> ItemValues(const QTableView& list) {
    std::vector<int> values;
    const QAbstractItemModel* m = list.model();
    for (int r = 0; r < m->rowCount(); ++r) {
        values.push_back(m->index(r, 0).data(Qt::UserRole).toInt());
    }
    return values;
}

// The state image of a row as the model gives it.
inline QImage ShownStateImage(const QAbstractItemModel& rows, int row) {
    return rows.index(row, 0)
        .data(Qt::DecorationRole)
        .value<QIcon>()
        .pixmap(QSize(12, 13))
        .toImage();
}

// The number of the state image a row shows, -1 when none of the three.
inline int StateImageOfRow(const QTableView& list, int row) {
    const std::array<QImage, 3> images = {StateImage(0), StateImage(1), StateImage(2)};
    const QImage shown = ShownStateImage(*list.model(), row);
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (shown.convertToFormat(QImage::Format_ARGB32) ==
            images[i].convertToFormat(QImage::Format_ARGB32)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

inline QPoint RowCentre(const QTableView& list, int row) {
    return list.visualRect(list.model()->index(row, 0)).center();
}

// Clicks a row as the user does, and lets the focused-row handler run.
inline void ClickRow(QTableView& list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, RowCentre(list, row));
    Settle();
}

// The open top-level window of type T, or nullptr.
template <typename T>
T* OpenWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* t = qobject_cast<T*>(w); t != nullptr && t->isVisible()) {
            return t;
        }
    }
    return nullptr;
}

}  // namespace kestrune::testing
