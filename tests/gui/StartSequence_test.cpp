#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/StartSequence.h"
#include "core/AppState.h"
#include "core/ProgramEnd.h"
#include "core/SettingsFile.h"
#include "platform/FileSystem.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/Typing.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"

namespace kestrune {
namespace {

using testing::LoopbackSocket;
using testing::TypeText;

// ms.ini with one server on a loopback port, an option and the start-up password. Any save
// would change it: nothing but the main window's parse puts the server back into the list.
std::string WriteSettings(std::uint16_t port, std::string_view password) {
    const std::string plain = "127.0.0.1|" + std::to_string(port) + "|admin|pw|lab\r\n" +
                              "#onsole:1\r\n#Start:1\r\n#LoadinPass:<" + std::string(password) +
                              ">\r\n";
    const std::string file = SettingsCodec(plain, kSettingsKey);
    std::ofstream("ms.ini", std::ios::binary) << file;
    return file;
}

ino_t InodeOf(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? info.st_ino : 0;
}

// The line of the start-up password in the deciphered settings file.
std::string PasswordLine() {
    const std::string text = LoadSettings("ms.ini");
    const std::size_t start = text.find(kPasswordOpen);
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find("\r\n", start) - start);
}

MainWindow* VisibleMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Polls, processing events, until `done`; the guard only turns a hang into a failure.
bool WaitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer guard(60'000);
    while (!done()) {
        if (guard.hasExpired()) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

template <typename T>
T* Find(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// Runs `drive` on the modal window that opens next, from inside its event loop, so that a test
// can answer a window whose opening blocks. A window the drive leaves open is closed, so that a
// failing test never hangs on it.
void DriveNextModalWindow(std::function<void(QWidget&)> drive, bool* driven = nullptr) {
    QTimer::singleShot(0, [drive = std::move(drive), driven] {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr) {
            ADD_FAILURE() << "no modal window is open";
            return;
        }
        drive(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the drive left " << window->metaObject()->className() << " open";
            window->close();
        }
        if (driven != nullptr) {
            *driven = true;
        }
    });
}

void EnterPassword(QWidget& gate, const QString& password) {
    EXPECT_TRUE(gate.inherits("kestrune::AuthenticationWindow"));
    TypeText(Find<QLineEdit>(gate, "编辑框1"), password);
    QTest::mouseClick(Find<QPushButton>(gate, "按钮1"), Qt::LeftButton);
}

bool FirstRowShows(MainWindow& window, const QString& text) {
    const QAbstractItemModel* rows = Find<QTableView>(window, "超级列表框1")->model();
    for (int column = 0; column < rows->columnCount(); ++column) {
        if (rows->index(0, column).data().toString() == text) {
            return true;
        }
    }
    return false;
}

void CloseMainWindow(MainWindow& window) {
    window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(StartSequence, GateComesBeforeTheListAndItsProbes) {
    const LoopbackSocket server = LoopbackSocket::Listening();
    WriteSettings(server.port(), "Secret");
    ScriptedMessageBoxes boxes;
    AppState state;
    bool passed = false;
    DriveNextModalWindow(
        [&](QWidget& gate) {
            // Nothing parsed yet, so nothing to show or probe.
            EXPECT_EQ(VisibleMainWindow(), nullptr);
            EXPECT_EQ(state.serverList->Count(), 0);
            EXPECT_FALSE(server.HasPendingConnection());
            EnterPassword(gate, QStringLiteral("secret"));
            EXPECT_EQ(boxes.Asked().size(), 1U);
            EXPECT_TRUE(gate.isVisible());
            EXPECT_EQ(VisibleMainWindow(), nullptr);
            EnterPassword(gate, QStringLiteral("Secret"));
        },
        &passed);

    ASSERT_TRUE(RunStartupRoutine(state));
    EXPECT_TRUE(passed);
    EXPECT_EQ(state.accessGranted, 1);
    MainWindow* window = VisibleMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(state.serverList->Count(), 1);
    EXPECT_TRUE(window->IsConsoleOn());
    EXPECT_TRUE(WaitUntil([&] { return server.HasPendingConnection(); }));
    EXPECT_TRUE(WaitUntil([&] { return FirstRowShows(*window, QStringLiteral("在线")); }));
    CloseMainWindow(*window);
}

// The child ends through the end-program operation: the exit clean-up runs, nothing is saved
// and no main window opens, even with the right password typed before Cancel.
TEST(StartSequenceDeathTest, CancelEndsTheProgramWithoutSaving) {
    const LoopbackSocket closed = LoopbackSocket::Refusing();
    const std::string file = WriteSettings(closed.port(), "Secret");
    const ino_t inode = InodeOf("ms.ini");
    EXPECT_EXIT(
        {
            RegisterExitCleanup([] { std::fputs("exit clean-up ran\n", stderr); });
            AppState state;
            DriveNextModalWindow([](QWidget& gate) {
                TypeText(Find<QLineEdit>(gate, "编辑框1"), QStringLiteral("Secret"));
                QTest::mouseClick(Find<QPushButton>(gate, "按钮2"), Qt::LeftButton);
            });
            RunStartupRoutine(state);
            std::fputs("the start-up routine returned\n", stderr);
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "^exit clean-up ran\n$");
    EXPECT_EQ(ReadWholeFile("ms.ini"), file);
    EXPECT_EQ(InodeOf("ms.ini"), inode);
}

TEST(StartSequence, CloseBoxOrEscAtTheGateOpensNothingAndSavesNothing) {
    for (const bool esc : {false, true}) {
        SCOPED_TRACE(esc ? "Esc" : "close box");
        const LoopbackSocket closed = LoopbackSocket::Refusing();
        const std::string file = WriteSettings(closed.port(), "Secret");
        const ino_t inode = InodeOf("ms.ini");
        ScriptedMessageBoxes boxes;
        AppState state;
        DriveNextModalWindow([esc](QWidget& gate) {
            auto* entry = Find<QLineEdit>(gate, "编辑框1");
            TypeText(entry, QStringLiteral("Secret"));
            if (esc) {
                QTest::keyClick(entry, Qt::Key_Escape);
            } else {
                gate.close();
            }
        });

        EXPECT_FALSE(RunStartupRoutine(state));
        EXPECT_EQ(state.accessGranted, 0);
        EXPECT_EQ(VisibleMainWindow(), nullptr);
        EXPECT_EQ(state.serverList->Count(), 0);
        EXPECT_TRUE(boxes.Asked().empty());
        EXPECT_EQ(ReadWholeFile("ms.ini"), file);
        EXPECT_EQ(InodeOf("ms.ini"), inode);
    }
}

// One run of the program: its gate answered with `password` when one shows, then `use` on the
// main window, then the main window closed.
void RunOnce(const std::optional<QString>& password, const std::function<void(MainWindow&)>& use) {
    AppState state;
    QTimer noGate;
    if (password) {
        DriveNextModalWindow([&](QWidget& gate) { EnterPassword(gate, *password); });
    } else {
        // A gate that shows anyway would block: fail and close it instead.
        noGate.setSingleShot(true);
        QObject::connect(&noGate, &QTimer::timeout, [] {
            if (QWidget* gate = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a window was shown before the main window";
                gate->close();
            }
        });
        noGate.start(0);
    }
    ASSERT_TRUE(RunStartupRoutine(state));
    noGate.stop();
    MainWindow* window = VisibleMainWindow();
    ASSERT_NE(window, nullptr);
    use(*window);
    CloseMainWindow(*window);
}

// Opens the setup window from the main window's button and runs `drive` on it.
void ThroughTheButton(MainWindow& window, std::function<void(QWidget&)> drive) {
    bool driven = false;
    DriveNextModalWindow(
        [drive = std::move(drive)](QWidget& setup) {
            EXPECT_TRUE(setup.inherits("kestrune::PasswordSetupWindow"));
            drive(setup);
        },
        &driven);
    QTest::mouseClick(Find<QPushButton>(window, "按钮_启动密码"), Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return driven; }));
}

void SubmitPassword(QWidget& setup, const QString& password) {
    TypeText(Find<QLineEdit>(setup, "编辑框1"), password);
    TypeText(Find<QLineEdit>(setup, "编辑框2"), password);
    QTest::mouseClick(Find<QPushButton>(setup, "按钮1"), Qt::LeftButton);
}

// The password changes in memory and reaches the file only when the main window closes; the
// next start asks for it.
TEST(StartSequence, PasswordSetThroughTheMainWindowGuardsTheNextStart) {
    const QString password = QStringLiteral("开门 A");
    ScriptedMessageBoxes boxes;

    RunOnce(std::nullopt, [&](MainWindow& window) {
        ThroughTheButton(window, [&](QWidget& setup) { SubmitPassword(setup, password); });
        EXPECT_FALSE(std::filesystem::exists("ms.ini"));
    });
    EXPECT_EQ(PasswordLine(), "#LoadinPass:<\xBF\xAA\xC3\xC5 A>");

    // A refused password keeps the window open and changes nothing.
    RunOnce(password, [&](MainWindow& window) {
        ThroughTheButton(window, [&](QWidget& setup) {
            SubmitPassword(setup, QStringLiteral("a>b"));
            EXPECT_TRUE(setup.isVisible());
            QTest::mouseClick(Find<QPushButton>(setup, "按钮2"), Qt::LeftButton);
        });
    });
    ASSERT_EQ(boxes.Asked().size(), 1U);
    EXPECT_EQ(boxes.Asked()[0].icon, MessageIcon::Error);
    EXPECT_EQ(PasswordLine(), "#LoadinPass:<\xBF\xAA\xC3\xC5 A>");

    RunOnce(password, [&](MainWindow& window) {
        boxes.QueueAnswer(MessageAnswer::Yes);
        ThroughTheButton(window, [&](QWidget& setup) { SubmitPassword(setup, {}); });
    });
    EXPECT_EQ(boxes.Asked().back().text, QStringLiteral("您确定要清空密码吗？"));
    EXPECT_EQ(PasswordLine(), "#LoadinPass:<>");

    RunOnce(std::nullopt, [](MainWindow&) {});
}

}  // namespace
}  // namespace kestrune
