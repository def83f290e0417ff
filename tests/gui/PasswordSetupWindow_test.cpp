#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/TextLimits.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/Typing.h"
#include "ui/ControlTable.h"
#include "ui/MessageBox.h"
#include "ui/PasswordSetupWindow.h"
#include "ui/TypedText.h"

namespace kestrune {
namespace {

using testing::Caption;
using testing::Find;
using testing::TypeText;

TEST(PasswordSetupWindow, ControlsFollowTheTable) {
    const std::vector<testing::ExpectedControl> rows = {
        {"图片框1", "QLabel", {16, 15, 40, 32}, ""},
        {"标签1", "QLabel", {64, 9, 56, 16}, "新的密码:"},
        {"编辑框1", "QLineEdit", {120, 8, 152, 24}, ""},
        {"标签2", "QLabel", {64, 36, 56, 16}, "重复密码:"},
        {"编辑框2", "QLineEdit", {120, 33, 152, 24}, ""},
        {"按钮1", "QPushButton", {120, 65, 70, 26}, "确定(OK)"},
        {"按钮2", "QPushButton", {205, 65, 70, 26}, "取消(NO)"},
    };
    AppState state;
    state.startupPassword = "old";
    PasswordSetupWindow window(state);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("启动密码设置(Set LoginPass)"));
    EXPECT_EQ(window.minimumSize(), ClientSizeFor({290, 130}));
    EXPECT_EQ(window.maximumSize(), ClientSizeFor({290, 130}));
    EXPECT_EQ(window.parent(), nullptr);
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
    testing::ExpectControls(window, rows);
    for (const char* name : {"编辑框1", "编辑框2"}) {
        EXPECT_EQ(Find<QLineEdit>(window, name)->echoMode(), QLineEdit::Normal) << name;
    }
    EXPECT_EQ(Find<QLabel>(window, "图片框1")->pixmap().size(), QSize(32, 32));
    EXPECT_TRUE(Find<QPushButton>(window, "按钮1")->isDefault());
}

struct Change {
    const char* name;
    QString first;
    QString second;
    std::string expected;                                // the password afterwards, code page 936
    const char* message;                                 // the box shown, nullptr when none
    bool stays;                                          // the window stays open
    std::optional<MessageAnswer> answer = std::nullopt;  // to the question
};

struct Refusal {
    const char* name;
    QString password;
    TextFault fault;
};

// Runs one change on a window over the password "old"; returns the boxes asked.
std::vector<MessageRequest> RunChange(const QString& first, const QString& second,
                                      std::optional<MessageAnswer> answer, AppState& state,
                                      bool& stays) {
    ScriptedMessageBoxes boxes;
    if (answer) {
        boxes.QueueAnswer(*answer);
    }
    state.startupPassword = "old";
    PasswordSetupWindow window(state);
    window.show();
    auto* firstBox = Find<QLineEdit>(window, "编辑框1");
    auto* secondBox = Find<QLineEdit>(window, "编辑框2");
    TypeText(firstBox, first);
    TypeText(secondBox, second);
    QTest::mouseClick(Find<QPushButton>(window, "按钮1"), Qt::LeftButton);
    stays = window.isVisible();
    if (stays) {
        // Nothing typed is lost after a message.
        EXPECT_EQ(firstBox->text(), first);
        EXPECT_EQ(secondBox->text(), second);
    }
    return boxes.Asked();
}

TEST(PasswordSetupWindow, ChangesThePasswordInMemory) {
    const char* kDiffer = "两次密码必须相同";
    const char* kClear = "您确定要清空密码吗？";
    const std::vector<Change> changes = {
        {"new password", "new pass", "new pass", "new pass", nullptr, false},
        {"Chinese", QStringLiteral("开门"), QStringLiteral("开门"), "\xBF\xAA\xC3\xC5", nullptr,
         false},
        {"boxes differ", "new", "New", "old", kDiffer, true},
        {"only the second box", "", "x", "old", kDiffer, true},
        {"differ and refusable", "a>b", "a>", "old", kDiffer, true},
        {"cleared", "", "", "", kClear, false, MessageAnswer::Yes},
        {"clearing declined", "", "", "old", kClear, true, MessageAnswer::No},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        AppState state;
        bool stays = false;
        const std::vector<MessageRequest> asked =
            RunChange(c.first, c.second, c.answer, state, stays);
        EXPECT_EQ(state.startupPassword, c.expected);
        EXPECT_EQ(stays, c.stays);
        if (c.message == nullptr) {
            EXPECT_TRUE(asked.empty());
            continue;
        }
        ASSERT_EQ(asked.size(), 1U);
        EXPECT_EQ(asked[0].text, QString::fromUtf8(c.message));
        if (c.message == kClear) {
            EXPECT_EQ(asked[0].caption, QStringLiteral("提示"));
            EXPECT_EQ(asked[0].icon, MessageIcon::Information);
            EXPECT_EQ(asked[0].buttons, MessageButtons::YesNo);
        } else {
            EXPECT_EQ(asked[0].caption, QStringLiteral("输入出错"));
            EXPECT_EQ(asked[0].icon, MessageIcon::Error);
            EXPECT_EQ(asked[0].buttons, MessageButtons::Ok);
        }
    }
}

// The settings file would give these back altered at the next start: cut at ">", taken for a
// server line, an option turned on, or other characters.
TEST(PasswordSetupWindow, RefusesWhatTheSettingsFileCannotHold) {
    const std::vector<Refusal> refusals = {
        {"closing bracket", "a>b", TextFault::ClosingMarker},
        {"bar", "a|b", TextFault::Delimiter},
        {"console marker", "#onsole:1", TextFault::Marker},
        {"admin marker", "x#admin:", TextFault::Marker},
        {"start marker", "#Start:1", TextFault::Marker},
        {"euro sign", QStringLiteral("5€"), TextFault::LoneHighByte},
        {"outside the code page", QStringLiteral("a😀"), TextFault::NotInCodePage},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        AppState state;
        bool stays = false;
        const std::vector<MessageRequest> asked =
            RunChange(r.password, r.password, {}, state, stays);
        EXPECT_EQ(state.startupPassword, "old");
        EXPECT_TRUE(stays);
        ASSERT_EQ(asked.size(), 1U);
        EXPECT_EQ(asked[0].text, TextFaultMessage(QStringLiteral("新的密码"), r.fault));
        EXPECT_EQ(asked[0].icon, MessageIcon::Error);
        EXPECT_EQ(asked[0].buttons, MessageButtons::Ok);
    }
}

TEST(PasswordSetupWindow, CancelCloseBoxAndEscKeepThePassword) {
    for (const char* way : {"cancel", "close box", "Esc"}) {
        SCOPED_TRACE(way);
        ScriptedMessageBoxes boxes;
        AppState state;
        state.startupPassword = "old";
        PasswordSetupWindow window(state);
        window.show();
        auto* first = Find<QLineEdit>(window, "编辑框1");
        TypeText(first, QStringLiteral("new"));
        TypeText(Find<QLineEdit>(window, "编辑框2"), QStringLiteral("new"));
        if (way == std::string("cancel")) {
            QTest::mouseClick(Find<QPushButton>(window, "按钮2"), Qt::LeftButton);
        } else if (way == std::string("Esc")) {
            QTest::keyClick(first, Qt::Key_Escape);
        } else {
            window.close();
        }
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(state.startupPassword, "old");
        EXPECT_TRUE(boxes.Asked().empty());
    }
}

TEST(PasswordSetupWindow, EnterInABoxClicksOk) {
    ScriptedMessageBoxes boxes;
    AppState state;
    PasswordSetupWindow window(state);
    window.show();
    TypeText(Find<QLineEdit>(window, "编辑框1"), QStringLiteral("pass"));
    auto* second = Find<QLineEdit>(window, "编辑框2");
    TypeText(second, QStringLiteral("pass"));
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(state.startupPassword, "pass");
    EXPECT_FALSE(window.isVisible());
}

// 16 bytes of code page 936, a Chinese character counting two: one that would take the 16th
// and a 17th byte does not fit, whether typed or pasted; a paste keeps what fits of its start.
TEST(PasswordSetupWindow, BoxesHoldSixteenBytes) {
    struct Case {
        const char* name;
        QString before;  // typed first
        QString added;
        bool pasted;
        QString after;
    };
    const QString fifteen = QStringLiteral("abcdefghijklmno");
    const std::vector<Case> cases = {
        {"Chinese into the last byte", fifteen, QStringLiteral("中x"), false, fifteen + "x"},
        {"Chinese into the last two bytes", QStringLiteral("abcdefghijklmn"), QStringLiteral("中x"),
         false, QStringLiteral("abcdefghijklmn中")},
        {"eight Chinese",
         {},
         QStringLiteral("中文中文中文中文"),
         false,
         QStringLiteral("中文中文中文中文")},
        {"pasted over the limit",
         {},
         QStringLiteral("中文中文中文中文中"),
         true,
         QStringLiteral("中文中文中文中文")},
        {"pasted Chinese at the boundary", fifteen, QStringLiteral("中"), true, fifteen},
        {"pasted after text", QStringLiteral("abcdefghijkl"), QStringLiteral("x中y中z"), true,
         QStringLiteral("abcdefghijklx中y")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"编辑框1", "编辑框2"}) {
            AppState state;
            PasswordSetupWindow window(state);
            auto* box = Find<QLineEdit>(window, name);
            TypeText(box, c.before);
            if (c.pasted) {
                QGuiApplication::clipboard()->setText(c.added);
                box->paste();
            } else {
                TypeText(box, c.added);
            }
            EXPECT_EQ(box->text(), c.after) << name;
        }
    }
}

// A paste into the middle keeps the text on both sides and cuts only what was pasted.
TEST(PasswordSetupWindow, PasteInTheMiddleCutsThePastedText) {
    AppState state;
    PasswordSetupWindow window(state);
    auto* box = Find<QLineEdit>(window, "编辑框1");
    TypeText(box, QStringLiteral("ab中"));
    box->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("文文文文文文文"));
    box->paste();
    EXPECT_EQ(box->text(), QStringLiteral("a文文文文文文b中"));
    EXPECT_EQ(box->cursorPosition(), 7);
}

}  // namespace
}  // namespace kestrune
