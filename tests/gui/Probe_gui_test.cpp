#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/StartSequence.h"
#include "core/AppState.h"
#include "core/LaunchOptions.h"
#include "core/ProgramEnd.h"
#include "core/SettingsFile.h"
#include "probe/ProbeAll.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/LoopbackSocket.h"
#include "ui/MainWindow.h"
#include "ui/Pictures.h"

namespace kestrune {
namespace {

using testing::LoopbackSocket;

// Only turns a hang into a failure; no test relies on it to pass.
constexpr int kGuardMs = 60000;

QAbstractItemModel& Rows(MainWindow& window) {
    return *window.findChild<QTableView*>(QStringLiteral("超级列表框1"))->model();
}

QString StatusCell(MainWindow& window, int row) {
    QAbstractItemModel& rows = Rows(window);
    return rows.data(rows.index(row, 3), Qt::DisplayRole).toString();
}

bool ShowsImage(MainWindow& window, int row, int image) {
    return testing::ShownStateImage(Rows(window), row).convertToFormat(QImage::Format_ARGB32) ==
           StateImage(image).convertToFormat(QImage::Format_ARGB32);
}

TEST(ProbeGui, RowsOfTheMainWindowTurnOnlineAndOffline) {
    const LoopbackSocket listening = LoopbackSocket::Listening();
    const LoopbackSocket refusing = LoopbackSocket::Refusing();
    AppState state;
    state.serverList->Append({"127.0.0.1", std::to_string(listening.port()), "", "", ""});
    state.serverList->Append({"127.0.0.1", std::to_string(refusing.port()), "", "", ""});
    auto window = std::make_unique<MainWindow>(state);
    window->RefreshServerList();
    window->show();
    EXPECT_EQ(StatusCell(*window, 0), QStringLiteral("..."));

    ProbeAll(state.serverList, window->ProbeViewHandle());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return StatusCell(*window, 0) != QStringLiteral("...") &&
                   StatusCell(*window, 1) != QStringLiteral("...");
        },
        kGuardMs));
    // Both updates of each row are in once its text is: the image is applied first.
    EXPECT_EQ(StatusCell(*window, 0), QStringLiteral("在线"));
    EXPECT_TRUE(ShowsImage(*window, 0, 0));
    EXPECT_EQ(StatusCell(*window, 1), QStringLiteral("离线"));
    EXPECT_TRUE(ShowsImage(*window, 1, 1));
    EXPECT_EQ(state.serverList->EntryAt(1).status, ServerStatus::Online);
    EXPECT_EQ(state.serverList->EntryAt(2).status, ServerStatus::Offline);

    // A rebuild shows the probed statuses again.
    window->RefreshServerList();
    EXPECT_EQ(StatusCell(*window, 0), QStringLiteral("在线"));
    EXPECT_TRUE(ShowsImage(*window, 1, 1));
}

// The whole program from the settings file to its end: the main window opens, one attempt gets
// no answer, another is refused and shows at once; closing the window ends the program while the
// first attempt still waits. In a process of its own, as it leaves that worker behind.
TEST(ProbeGuiDeathTest, ClosingTheMainWindowEndsTheProgramWhileAnAttemptWaits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const LoopbackSocket silent = LoopbackSocket::Silent();
            const LoopbackSocket refusing = LoopbackSocket::Refusing();
            ServerList servers;
            servers.Append({"127.0.0.1", std::to_string(silent.port()), "", "", ""});
            servers.Append({"127.0.0.1", std::to_string(refusing.port()), "", "", ""});
            if (!SaveSettings("ms.ini", servers, LaunchOptionValues(), "")) {
                std::_Exit(3);
            }

            // As the program's start: the exit clean-up releases the state.
            auto* state = new AppState();
            RegisterExitCleanup([state, &silent] {
                state->serverList.reset();
                // The process ends while the attempt is still under way.
                if (!silent.HasWaitingAttempt()) {
                    std::_Exit(4);
                }
            });
            if (!RunStartupRoutine(*state)) {
                std::_Exit(5);
            }
            MainWindow* window = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* main = qobject_cast<MainWindow*>(widget)) {
                    window = main;
                }
            }
            if (window == nullptr ||
                !QTest::qWaitFor([&] { return silent.HasWaitingAttempt(); }, kGuardMs) ||
                !QTest::qWaitFor([&] { return StatusCell(*window, 1) == QStringLiteral("离线"); },
                                 kGuardMs) ||
                StatusCell(*window, 0) != QStringLiteral("...")) {
                std::_Exit(6);
            }
            QTimer::singleShot(0, window, [window] { window->close(); });
            QApplication::exec();
            EndProgram(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kestrune
