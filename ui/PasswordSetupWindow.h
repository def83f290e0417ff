#pragma once

#include <QDialog>

#include "core/AppState.h"

namespace kestrune {

// Sets or clears the start-up password, in memory only: it reaches the settings file when the
// main window closes. Modal, without a parent; both boxes start empty each time.
class PasswordSetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit PasswordSetupWindow(AppState& state);

private:
    void ChangePassword();

    AppState& state_;
};

}  // namespace kestrune
