#include "app/StartSequence.h"

#include <QApplication>

#include "core/AppState.h"
#include "core/ProgramEnd.h"
#include "core/SettingsFile.h"
#include "platform/DescriptorLimit.h"
#include "probe/ProbeAll.h"
#include "ui/AuthenticationWindow.h"
#include "ui/MainWindow.h"

namespace kestrune {

namespace {

void OnMainWindowCreated(AppState& state, MainWindow& window) {
    ParseSettings(state.settingsText, *state.serverList, window);
    window.RefreshServerList();
    ProbeAll(state.serverList, window.ProbeViewHandle());
}

void OnMainWindowCloseRequested(AppState& state, MainWindow& window) {
    // Never refuses the close; a failed save is not reported.
    (void)SaveSettings(state.settingsFileName, *state.serverList, window, state.startupPassword);
}

}  // namespace

bool RunStartupRoutine(AppState& state) {
    state.settingsFileName = "ms.ini";
    state.settingsText = LoadSettings(state.settingsFileName);
    state.startupPassword = ExtractBetween(state.settingsText, kPasswordOpen, kPasswordClose);
    if (state.startupPassword.empty()) {
        state.accessGranted = 1;
    } else {
        // Returns when the window has closed; its Cancel ends the program instead.
        AuthenticationWindow gate(state);
        gate.exec();
    }
    if (state.accessGranted != 1) {
        return false;
    }
    auto* window = new MainWindow(state);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &MainWindow::CloseRequested, window,
                     [&state, window] { OnMainWindowCloseRequested(state, *window); });
    OnMainWindowCreated(state, *window);
    window->show();
    return true;
}

void RunProgram(int argc, char** argv) {
    // One probe socket per server: a long list must not run out of descriptors.
    (void)RaiseDescriptorLimit();
    QApplication app(argc, argv);
    // Never deleted: the exit clean-up releases its contents and the process ends with _exit.
    auto* state = new AppState();
    RegisterExitCleanup([state] {
        state->settingsFileName.clear();
        state->settingsText.clear();
        state->startupPassword.clear();
        state->serverList.reset();
    });
    if (RunStartupRoutine(*state)) {
        QApplication::exec();
    }
    EndProgram(0);
}

}  // namespace kestrune
