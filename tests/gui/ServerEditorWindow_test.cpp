#include "ui/ServerEditorWindow.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

#include "tests/gui/GuiHelpers.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"

namespace kestrune {
namespace {

using testing::Cells;
using testing::ClickRow;
using testing::Find;
using testing::ItemValues;
using testing::RowCells;
using testing::Server;
using testing::Settle;
using testing::StateImageOfRow;

class ServerEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const ServerEntry& e : {Server("10.1.1.1", "3389", "a", "pa", "remark A"),
                                     Server("10.1.1.2", "3390", "b", "pb", "remark B"),
                                     Server("10.1.1.3", "3391", "c", "pc", "remark C")}) {
            state.serverList->Append(e);
        }
        window = std::make_unique<MainWindow>(state);
        window->RefreshServerList();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        list = Find<QTableView>(*window, "超级列表框1");
    }

    void TearDown() override {
        if (editor) {
            editor->close();
        }
        Settle();
    }

    // Clicks a main window button that opens the editor, and finds the editor.
    ServerEditorWindow* OpenBy(const char* button) {
        QTest::mouseClick(Find<QPushButton>(*window, button), Qt::LeftButton);
        editor = testing::OpenWindow<ServerEditorWindow>();
        return editor;
    }

    QLineEdit* Line(const char* name) { return Find<QLineEdit>(*editor, name); }
    QPlainTextEdit* RemarkBox() { return Find<QPlainTextEdit>(*editor, "编辑框_备注"); }
    void ClickOk() { QTest::mouseClick(Find<QPushButton>(*editor, "按钮1"), Qt::LeftButton); }

    ScriptedMessageBoxes boxes;
    AppState state;
    std::unique_ptr<MainWindow> window;
    QTableView* list = nullptr;
    QPointer<ServerEditorWindow> editor;
};

TEST_F(ServerEditorTest, AddWithTheDefaultsAppendsAnUnknownServer) {
    ASSERT_NE(OpenBy("按钮_添加服务器"), nullptr);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("添加服务器列表"));
    EXPECT_EQ(Find<QPushButton>(*editor, "按钮1")->text(), QStringLiteral("添 加 列 表(ADDLIST)"));
    EXPECT_EQ(Find<QPushButton>(*editor, "按钮2")->text(), QStringLiteral("取 消\r\n(Close)"));
    EXPECT_EQ(editor->size(), QSize(256, 306));
    EXPECT_EQ(editor->parent(), nullptr);
    EXPECT_EQ(editor->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(QApplication::activeModalWidget(), editor.data());
    EXPECT_EQ(Line("编辑框_密码")->echoMode(), QLineEdit::Normal);

    ClickOk();
    ASSERT_EQ(state.serverList->Count(), 4);
    EXPECT_EQ(state.serverList->EntryAt(4), Server("127.0.0.1", "3389", "Administrator"));
    EXPECT_EQ(RowCells(*list)[3], (Cells{"127.0.0.1", "3389", "Administrator", "..."}));
    EXPECT_EQ(ItemValues(*list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(StateImageOfRow(*list, 3), 2);
    Settle();
    EXPECT_TRUE(editor.isNull());
}

TEST_F(ServerEditorTest, AddWithEveryBoxEmptiedAppendsFiveEmptyTexts) {
    ASSERT_NE(OpenBy("按钮_添加服务器"), nullptr);
    for (const char* name : {"编辑框_域名", "编辑框_端口", "编辑框_账号", "编辑框_密码"}) {
        Line(name)->clear();
    }
    ClickOk();
    ASSERT_EQ(state.serverList->Count(), 4);
    EXPECT_EQ(state.serverList->EntryAt(4), ServerEntry{});
    EXPECT_EQ(RowCells(*list)[3], (Cells{"", "", "", "..."}));
}

TEST_F(ServerEditorTest, EditOfTheSecondServerKeepsItsStatus) {
    state.serverList->SetStatus(2, ServerStatus::Online);
    window->RefreshServerList();
    ClickRow(*list, 1);
    ASSERT_NE(OpenBy("按钮_设置服务器"), nullptr);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("修改服务器列表"));
    EXPECT_EQ(Find<QPushButton>(*editor, "按钮1")->text(),
              QStringLiteral("修 改 列 表(EDIT LIST)"));
    EXPECT_EQ(Line("编辑框_域名")->text(), QStringLiteral("10.1.1.2"));
    EXPECT_EQ(Line("编辑框_端口")->text(), QStringLiteral("3390"));
    EXPECT_EQ(Line("编辑框_账号")->text(), QStringLiteral("b"));
    EXPECT_EQ(Line("编辑框_密码")->text(), QStringLiteral("pb"));
    EXPECT_EQ(RemarkBox()->toPlainText(), QStringLiteral("remark B"));

    Line("编辑框_域名")->setText(QStringLiteral("机房"));
    RemarkBox()->clear();
    RemarkBox()->setFocus();
    QTest::keyClicks(RemarkBox(), QStringLiteral("one"));
    QTest::keyClick(RemarkBox(), Qt::Key_Return);  // a line break, not OK
    QTest::keyClicks(RemarkBox(), QStringLiteral("two"));
    EXPECT_EQ(state.serverList->EntryAt(2).remark, "remark B");
    ClickOk();

    const ServerEntry e = state.serverList->EntryAt(2);
    EXPECT_EQ(e.address, "\xBB\xFA\xB7\xBF");
    EXPECT_EQ(e.remark, "one\r\ntwo");
    EXPECT_EQ(e.status, ServerStatus::Online);
    EXPECT_EQ(RowCells(*list)[1],
              (Cells{QStringLiteral("机房"), "3390", "b", QStringLiteral("在线")}));
    EXPECT_EQ(window->SelectedPosition(), 0);
    // The main window's remark box keeps what it showed; the next pick shows the new lines.
    Settle();
    EXPECT_EQ(Find<QPlainTextEdit>(*window, "编辑框_备注")->toPlainText(),
              QStringLiteral("remark B"));
    ClickRow(*list, 0);
    ClickRow(*list, 1);
    EXPECT_EQ(Find<QPlainTextEdit>(*window, "编辑框_备注")->toPlainText(),
              QStringLiteral("one\ntwo"));
}

TEST_F(ServerEditorTest, CancelCloseBoxAndEscChangeNothing) {
    const std::vector<std::pair<const char*, std::function<void(ServerEditorWindow&)>>> ways = {
        {"按钮2",
         [](ServerEditorWindow& e) {
             QTest::mouseClick(Find<QPushButton>(e, "按钮2"), Qt::LeftButton);
         }},
        {"close box", [](ServerEditorWindow& e) { e.close(); }},
        {"Esc", [](ServerEditorWindow& e) { QTest::keyClick(&e, Qt::Key_Escape); }},
    };
    const std::vector<ServerEntry> before = state.serverList->Entries();
    ClickRow(*list, 1);
    for (const auto& [name, closeEditor] : ways) {
        ASSERT_NE(OpenBy("按钮_设置服务器"), nullptr) << name;
        Line("编辑框_域名")->setText(QStringLiteral("changed"));
        closeEditor(*editor);
        Settle();
        EXPECT_TRUE(editor.isNull()) << name;
        EXPECT_EQ(state.serverList->Entries(), before) << name;
        EXPECT_EQ(window->SelectedPosition(), 2) << name;
    }
    // The next opening starts from the defaults again.
    ASSERT_NE(OpenBy("按钮_添加服务器"), nullptr);
    EXPECT_EQ(Line("编辑框_域名")->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(RemarkBox()->toPlainText(), QString());
}

TEST_F(ServerEditorTest, EnterOnAButtonOrALineClicksOk) {
    for (const char* focus : {"按钮2", "编辑框_端口"}) {
        ASSERT_NE(OpenBy("按钮_添加服务器"), nullptr);
        QWidget* target = Find<QWidget>(*editor, focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        Settle();
        EXPECT_TRUE(editor.isNull()) << focus;
    }
    EXPECT_EQ(state.serverList->Count(), 5);
}

// Texts that the settings file would give back altered, or read as an option or a start-up
// password, are refused with a message naming the field; the editor stays open as typed.
TEST_F(ServerEditorTest, RefusesTextsTheSettingsFileCannotHold) {
    struct Case {
        const char* box;
        QString text;
        const char* field;
    };
    const std::vector<Case> cases = {
        {"编辑框_域名", QStringLiteral("a|b"), "IP/域名"},
        {"编辑框_账号", QStringLiteral("x#Start:1"), "登陆账号"},
        {"编辑框_密码", QStringLiteral("#LoadinPass:<pw>"), "登陆密码"},
        {"编辑框_密码", QStringLiteral("one\ntwo"), "登陆密码"},
        {"编辑框_端口", QStringLiteral("33\u20AC"), "端口"},
        {"编辑框_账号", QString::fromUtf16(u"\U0001F600"), "登陆账号"},
        {"编辑框_域名", QString(QChar(0)) + QStringLiteral("x"), "IP/域名"},
        {"编辑框_备注", QStringLiteral("costs 5\u20AC"), "备注"},
        {"编辑框_备注", QStringLiteral("#onsole:1"), "备注"},
    };
    const std::vector<ServerEntry> before = state.serverList->Entries();
    for (const Case& c : cases) {
        ASSERT_NE(OpenBy("按钮_添加服务器"), nullptr);
        if (std::string(c.box) == "编辑框_备注") {
            RemarkBox()->setPlainText(c.text);
        } else {
            Line(c.box)->setText(c.text);
        }
        boxes.ClearAsked();
        ClickOk();
        Settle();
        ASSERT_FALSE(editor.isNull()) << c.field;
        ASSERT_EQ(boxes.Asked().size(), 1U) << c.field;
        const MessageRequest& asked = boxes.Asked()[0];
        EXPECT_TRUE(asked.text.contains(QString::fromUtf8(c.field))) << asked.text.toStdString();
        EXPECT_EQ(asked.icon, MessageIcon::Error);
        EXPECT_EQ(asked.buttons, MessageButtons::Ok);
        EXPECT_EQ(state.serverList->Entries(), before);
        if (std::string(c.box) != "编辑框_备注") {
            EXPECT_EQ(Line(c.box)->text(), c.text);
        }
        editor->close();
        Settle();
    }
}

TEST_F(ServerEditorTest, UntouchedBoxesKeepTheirBytesAndNoBoxHasALengthLimit) {
    const std::string oddBytes = "\x81\x20x";  // does not convert: shown with a replacement
    const std::string longAccount(40000, 'k');
    state.serverList->ReplaceFields(1, oddBytes, "1", longAccount, "p", "r");
    window->RefreshServerList();
    ClickRow(*list, 0);
    ASSERT_NE(OpenBy("按钮_设置服务器"), nullptr);
    EXPECT_EQ(Line("编辑框_账号")->text().size(), 40000);
    Line("编辑框_端口")->setText(QStringLiteral("2"));
    Line("编辑框_密码")->setText(QString(50000, QLatin1Char('w')));
    ClickOk();
    const ServerEntry e = state.serverList->EntryAt(1);
    EXPECT_EQ(e.address, oddBytes);
    EXPECT_EQ(e.port, "2");
    EXPECT_EQ(e.account, longAccount);
    EXPECT_EQ(e.password, std::string(50000, 'w'));
}

}  // namespace
}  // namespace kestrune
