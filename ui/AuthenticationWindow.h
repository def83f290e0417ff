#pragma once

#include <QDialog>

#include "core/AppState.h"

namespace kestrune {

// Asks for the start-up password before the main window opens. Shown modally; the right
// password sets accessGranted to 1 and closes the window, the close box and Esc close it
// leaving accessGranted as it was, and Cancel ends the program at once without saving.
class AuthenticationWindow : public QDialog {
    Q_OBJECT
public:
    explicit AuthenticationWindow(AppState& state);

private:
    void CheckPassword();

    AppState& state_;
};

}  // namespace kestrune
