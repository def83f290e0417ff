#pragma once

#include <QTableView>

namespace kestrune {

// The server list view. Gaining the keyboard focus does not make a row current: a row becomes
// current only when the user picks one (click or arrow key), as in the system's list view.
class ServerListView : public QTableView {
    Q_OBJECT
public:
    explicit ServerListView(QWidget* parent) : QTableView(parent) {}

protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace kestrune
