#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/Typing.h"
#include "ui/AuthenticationWindow.h"
#include "ui/ControlTable.h"
#include "ui/MessageBox.h"

namespace kestrune {
namespace {

using testing::Caption;
using testing::Find;
using testing::TypeText;

TEST(AuthenticationWindow, ControlsFollowTheTable) {
    const std::vector<testing::ExpectedControl> rows = {
        {"图片框1", "QLabel", {12, 20, 38, 38}, ""},
        {"标签1", "QLabel", {57, 7, 175, 16}, "请输入密码(Input Password):"},
        {"编辑框1", "QLineEdit", {64, 26, 152, 24}, ""},
        {"按钮1", "QPushButton", {64, 59, 72, 24}, "确定(OK)"},
        {"按钮2", "QPushButton", {144, 59, 72, 24}, "取消(NO)"},
    };
    AppState state;
    state.startupPassword = "secret";
    AuthenticationWindow window(state);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("身份验证 (Authentication)"));
    EXPECT_EQ(window.minimumSize(), ClientSizeFor({250, 123}));
    EXPECT_EQ(window.maximumSize(), ClientSizeFor({250, 123}));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    testing::ExpectControls(window, rows);

    const QPixmap padlock = Find<QLabel>(window, "图片框1")->pixmap();
    EXPECT_EQ(padlock.size(), QSize(32, 32));
    EXPECT_TRUE(padlock.hasAlphaChannel());
    const QImage image = padlock.toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // transparent around the padlock
    const QColor shackle = image.pixelColor(10, 11);
    EXPECT_EQ(shackle.alpha(), 255);
    EXPECT_LT(shackle.hsvSaturation(), 40);  // grey steel
    const QColor body = image.pixelColor(9, 24);
    EXPECT_EQ(body.alpha(), 255);
    EXPECT_GE(body.hsvHue(), 25);  // golden orange
    EXPECT_LE(body.hsvHue(), 45);
    EXPECT_GT(body.hsvSaturation(), 150);

    auto* entry = Find<QLineEdit>(window, "编辑框1");
    EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
    EXPECT_EQ(entry->font().pixelSize(), 16);
    EXPECT_TRUE(entry->font().bold());
    EXPECT_EQ(entry->font().families().value(0), QStringLiteral("宋体"));
    EXPECT_TRUE(Find<QPushButton>(window, "按钮1")->isDefault());
    EXPECT_FALSE(Find<QPushButton>(window, "按钮2")->isDefault());
}

// The styles draw a dot of their own for a masked character; the box must show "*".
TEST(AuthenticationWindow, MasksEveryCharacterWithAnAsterisk) {
    AppState state;
    state.startupPassword = "secret";
    AuthenticationWindow window(state);
    auto* entry = Find<QLineEdit>(window, "编辑框1");
    TypeText(entry, QStringLiteral("a中"));
    const QImage masked = entry->grab().toImage();

    entry->setEchoMode(QLineEdit::Normal);
    entry->setText(QStringLiteral("**"));
    EXPECT_EQ(masked, entry->grab().toImage());
}

enum class Submit { Click, Enter };

struct Entry {
    const char* name;
    std::string stored;  // code page 936
    QString typed;
    bool passes;
    Submit submit = Submit::Click;
};

// Byte for byte: no case folding, no trimming, and never an empty entry.
TEST(AuthenticationWindow, PassesOnlyTheExactPassword) {
    const std::vector<Entry> entries = {
        {"exact", "Secret", "Secret", true},
        {"exact with Enter", "Secret", "Secret", true, Submit::Enter},
        {"case changed", "Secret", "secret", false},
        {"leading blank", "Secret", " Secret", false},
        {"trailing blank", "Secret", "Secret ", false},
        {"trailing blank with Enter", "Secret", "Secret ", false, Submit::Enter},
        {"empty", "Secret", "", false},
        {"Chinese", "\xBF\xAA\xC3\xC5", QStringLiteral("开门"), true},
        {"blank stored", " ", " ", true},
        // Only a settings file written by other means holds more than the box takes.
        {"stored beyond the box", "abcdefghijklmnopq", "abcdefghijklmnopq", false},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        ScriptedMessageBoxes boxes;
        AppState state;
        state.startupPassword = e.stored;
        AuthenticationWindow window(state);
        window.show();
        auto* entry = Find<QLineEdit>(window, "编辑框1");
        TypeText(entry, e.typed);
        if (e.submit == Submit::Enter) {
            QTest::keyClick(entry, Qt::Key_Return);
        } else {
            QTest::mouseClick(Find<QPushButton>(window, "按钮1"), Qt::LeftButton);
        }

        EXPECT_EQ(state.accessGranted, e.passes ? 1 : 0);
        EXPECT_EQ(window.isVisible(), !e.passes);
        if (e.passes) {
            EXPECT_TRUE(boxes.Asked().empty());
            continue;
        }
        ASSERT_EQ(boxes.Asked().size(), 1U);
        EXPECT_EQ(boxes.Asked()[0].text, QStringLiteral("密码错误"));
        EXPECT_EQ(boxes.Asked()[0].caption, QStringLiteral("错误"));
        EXPECT_EQ(boxes.Asked()[0].icon, MessageIcon::Error);
        EXPECT_EQ(boxes.Asked()[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(entry->text(), QString());
    }
}

TEST(AuthenticationWindow, AsksAgainAfterEveryWrongEntry) {
    ScriptedMessageBoxes boxes;
    AppState state;
    state.startupPassword = "Secret";
    AuthenticationWindow window(state);
    window.show();
    auto* entry = Find<QLineEdit>(window, "编辑框1");
    for (int attempt = 0; attempt < 5; ++attempt) {
        TypeText(entry, QStringLiteral("wrong"));
        QTest::keyClick(entry, Qt::Key_Return);
    }
    EXPECT_EQ(boxes.Asked().size(), 5U);
    EXPECT_EQ(state.accessGranted, 0);
    TypeText(entry, QStringLiteral("Secret"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(state.accessGranted, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(AuthenticationWindow, CloseBoxAndEscLeaveAccessClosed) {
    for (const bool esc : {false, true}) {
        SCOPED_TRACE(esc ? "Esc" : "close box");
        ScriptedMessageBoxes boxes;
        AppState state;
        state.startupPassword = "Secret";
        AuthenticationWindow window(state);
        window.show();
        auto* entry = Find<QLineEdit>(window, "编辑框1");
        TypeText(entry, QStringLiteral("Secret"));
        if (esc) {
            QTest::keyClick(entry, Qt::Key_Escape);
        } else {
            window.close();
        }
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
        EXPECT_EQ(state.accessGranted, 0);
        EXPECT_TRUE(boxes.Asked().empty());
    }
}

}  // namespace
}  // namespace kestrune
