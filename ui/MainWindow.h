#pragma once

#include <QDialog>

#include "core/AppState.h"
#include "core/LaunchOptions.h"

namespace kestrune {

// Placeholder until the real window lands: a bare window whose close saves the settings.
class MainWindow : public QDialog, public LaunchOptionValues {
    Q_OBJECT
public:
    explicit MainWindow(AppState& state);
    void RefreshServerList() {}

signals:
    void CloseRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    AppState& state_;
};

}  // namespace kestrune
