#include "ui/MainWindow.h"

#include <QCloseEvent>

namespace kestrune {

MainWindow::MainWindow(AppState& state) : QDialog(nullptr), state_(state) {
    setWindowTitle(QStringLiteral("Kestrune v1.2"));
    setFixedSize(476, 408);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit CloseRequested();
    event->accept();
}

// Esc closes exactly as the close box does.
void MainWindow::reject() {
    close();
}

}  // namespace kestrune
