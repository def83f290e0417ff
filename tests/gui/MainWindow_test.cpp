#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "app/StartSequence.h"
#include "core/SettingsFile.h"
#include "probe/ProbeView.h"
#include "tests/gui/GuiHelpers.h"
#include "ui/HyperlinkLabel.h"
#include "ui/MessageBox.h"
#include "ui/ServerEditorWindow.h"

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
using testing::WaitUntil;

const std::string kMachineRoom = "\xBB\xFA\xB7\xBF";     // 机房
const std::string kAdministrators = "\xB9\xDC\xC0\xED";  // 管理

const MessageRequest kSelectionMessage{QStringLiteral("请选择服务器列表！"),
                                       QStringLiteral("操作错误"), MessageIcon::Error,
                                       MessageButtons::Ok};
const MessageRequest kDeleteQuestion{QStringLiteral("确认删除该项？"), QStringLiteral("删除项目"),
                                     MessageIcon::None, MessageButtons::OkCancel};

class MainWindowTest : public ::testing::Test {
protected:
    void Open(const std::vector<ServerEntry>& servers) {
        for (const ServerEntry& e : servers) {
            state.serverList->Append(e);
        }
        window = std::make_unique<MainWindow>(state);
        window->RefreshServerList();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        list = Find<QTableView>(*window, "超级列表框1");
        remark = Find<QPlainTextEdit>(*window, "编辑框_备注");
        connectButton = Find<QPushButton>(*window, "按钮_连接服务器");
        deleteButton = Find<QPushButton>(*window, "按钮_删除服务器");
    }

    void OpenThree() {
        Open({Server("10.1.1.1", "3389", "a", "", "remark A"),
              Server("10.1.1.2", "3390", "b", "", "remark B"),
              Server("10.1.1.3", "3391", "c", "", "remark C")});
    }

    void Click(const char* button) {
        QTest::mouseClick(Find<QPushButton>(*window, button), Qt::LeftButton);
    }

    std::vector<std::string> Addresses() const {
        std::vector<std::string> out;
        for (const ServerEntry& e : state.serverList->Entries()) {
            out.push_back(e.address);
        }
        return out;
    }

    ScriptedMessageBoxes boxes;
    AppState state;
    std::unique_ptr<MainWindow> window;
    QTableView* list = nullptr;
    QPlainTextEdit* remark = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* deleteButton = nullptr;
};

// Every control of the table exists under its name, inside its parent, clear of its siblings,
// with room for its caption in the font it is shown in.
TEST_F(MainWindowTest, ControlsFitTheFixedWindow) {
    Open({});
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kestrune v1.2"));
    EXPECT_EQ(window->size(), QSize(480, 418));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window->parent(), nullptr);

    const char* names[] = {
        "图片框1",         "分组框2",         "超级列表框1",   "按钮_连接服务器", "按钮_添加服务器",
        "按钮_删除服务器", "按钮_设置服务器", "按钮_启动密码", "分组框4",         "编辑框_备注",
        "分组框1",         "选择框_onsole",   "选择框_admin",  "分组框3",         "单选框800600",
        "单选框1024768",   "超级链接框1"};
    std::vector<QWidget*> controls;
    for (const char* name : names) {
        QWidget* c = Find<QWidget>(*window, name);
        ASSERT_NE(c, nullptr);
        controls.push_back(c);
        EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << name;
    }
    for (QWidget* a : controls) {
        for (QWidget* b : controls) {
            if (a != b && a->parentWidget() == b->parentWidget()) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " / " << b->objectName().toStdString();
            }
        }
    }
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        const QRect needed = b->fontMetrics().boundingRect(
            b->rect().adjusted(3, 1, -3, -1), Qt::AlignCenter | Qt::TextWordWrap, b->text());
        EXPECT_LE(needed.height(), b->height()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
        if (!radio && qobject_cast<QCheckBox*>(b) == nullptr) {
            continue;
        }
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QRect label = b->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, b);
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), label.width())
            << b->objectName().toStdString();
    }
    EXPECT_TRUE(connectButton->isDefault());
    EXPECT_FALSE(connectButton->isEnabled());
    EXPECT_FALSE(deleteButton->isEnabled());
    EXPECT_TRUE(remark->isReadOnly());
    EXPECT_EQ(Find<QLabel>(*window, "图片框1")->pixmap().size(), QSize(470, 60));
}

TEST_F(MainWindowTest, ListViewIsAReportOfFourColumns) {
    Open({});
    const QAbstractItemModel* m = list->model();
    const std::array<QString, 4> headers = {QStringLiteral("主机IP地址"), QStringLiteral("端口"),
                                            QStringLiteral("登陆账号"), QStringLiteral("网络状态")};
    const std::array<int, 4> widths = {130, 50, 100, 60};
    const std::array<Qt::Alignment, 4> alignments = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignHCenter,
                                                     Qt::AlignHCenter};
    ASSERT_EQ(m->columnCount(), 4);
    for (int c = 0; c < 4; ++c) {
        const auto i = static_cast<std::size_t>(c);
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), headers[i]);
        EXPECT_EQ(list->columnWidth(c), widths[i]);
        const auto align =
            Qt::Alignment(m->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        EXPECT_EQ(align & Qt::AlignHorizontal_Mask, alignments[i]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->font().pixelSize(), 12);
    EXPECT_EQ(list->palette().color(QPalette::Base), list->palette().color(QPalette::Button));
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(MainWindowTest, ShowsEachServerWithStatusTextImageAndItemValue) {
    Open({Server("127.0.0.1", "3389", "Administrator"), Server(kMachineRoom, "", kAdministrators)});
    EXPECT_EQ(RowCells(*list), (std::vector<Cells>{
                                   {"127.0.0.1", "3389", "Administrator", "..."},
                                   {QStringLiteral("机房"), "", QStringLiteral("管理"), "..."},
                               }));
    EXPECT_EQ(ItemValues(*list), (std::vector<int>{1, 2}));
    EXPECT_EQ(StateImageOfRow(*list, 0), 2);
    EXPECT_EQ(StateImageOfRow(*list, 1), 2);
    // Focus alone picks no row: Connect stays disabled until the user picks one.
    list->setFocus(Qt::TabFocusReason);
    Settle();
    EXPECT_FALSE(list->currentIndex().isValid());
    EXPECT_EQ(window->SelectedPosition(), 0);
    EXPECT_FALSE(connectButton->isEnabled());

    state.serverList->SetStatus(1, ServerStatus::Online);
    state.serverList->SetStatus(2, ServerStatus::Offline);
    window->RefreshServerList();
    EXPECT_EQ(RowCells(*list)[0][3], QStringLiteral("在线"));
    EXPECT_EQ(RowCells(*list)[1][3], QStringLiteral("离线"));
    EXPECT_EQ(StateImageOfRow(*list, 0), 0);
    EXPECT_EQ(StateImageOfRow(*list, 1), 1);
}

// The selection colours the row, not its state image: a selected unknown server still shows
// its yellow screen, never a green-tinted one.
TEST_F(MainWindowTest, ASelectedRowShowsItsStateImageUntinted) {
    Open({Server("127.0.0.1", "3389", "a")});
    ClickRow(*list, 0);
    ASSERT_EQ(window->SelectedPosition(), 1);
    const QColor screen = StateImage(2).pixelColor(5, 5);
    const QImage shown = list->viewport()->grab().toImage();
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    bool found = false;
    for (int y = cell.top(); y <= cell.bottom() && !found; ++y) {
        for (int x = cell.left(); x <= cell.right() && !found; ++x) {
            found = shown.pixelColor(x, y) == screen;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(MainWindowTest, APickedRowShowsItsRemarkAndEnablesDeleteAndConnect) {
    Open({Server("a", "1", "x", "", "first"), Server("b", "2", "y", "", "line one\r\nline two")});
    ClickRow(*list, 1);
    EXPECT_EQ(window->SelectedPosition(), 2);
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_TRUE(deleteButton->isEnabled());
    EXPECT_TRUE(connectButton->isEnabled());

    // Clicking the current row again does not run the handler.
    remark->setPlainText(QStringLiteral("unchanged"));
    ClickRow(*list, 1);
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("unchanged"));

    ClickRow(*list, 0);
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("first"));

    // The keyboard moves the current row; the remark is always that of the selected row.
    const std::map<int, QString> remarks = {{1, QStringLiteral("first")},
                                            {2, QStringLiteral("line one\nline two")}};
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::NoModifier)}) {
        QTest::keyClick(list, Qt::Key_Down, modifiers);
        Settle();
        EXPECT_EQ(list->currentIndex().row(), 1);
        if (const int p = window->SelectedPosition(); p > 0) {
            EXPECT_EQ(remark->toPlainText(), remarks.at(p));
        }
        QTest::keyClick(list, Qt::Key_Up);
        Settle();
    }

    // A rebuild leaves no row selected or current and touches neither the remark nor the buttons.
    window->RefreshServerList();
    Settle();
    EXPECT_FALSE(list->currentIndex().isValid());
    EXPECT_EQ(window->SelectedPosition(), 0);
    EXPECT_TRUE(deleteButton->isEnabled());
    EXPECT_TRUE(connectButton->isEnabled());
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("first"));
}

TEST_F(MainWindowTest, ARowMadeCurrentWithoutSelectionReadsNoEntry) {
    Open({Server("a", "1", "x", "", "first")});
    remark->setPlainText(QStringLiteral("kept"));
    list->setFocus(Qt::TabFocusReason);
    Settle();
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("kept"));
    list->selectionModel()->setCurrentIndex(list->model()->index(0, 0),
                                            QItemSelectionModel::NoUpdate);
    Settle();
    EXPECT_EQ(window->SelectedPosition(), 0);
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("kept"));
    EXPECT_TRUE(deleteButton->isEnabled());
}

TEST_F(MainWindowTest, DeletingTheSecondOfThreeRenumbersTheRows) {
    OpenThree();
    ClickRow(*list, 1);
    boxes.QueueAnswer(MessageAnswer::Ok);
    Click("按钮_删除服务器");
    ASSERT_EQ(boxes.Asked().size(), 1U);
    EXPECT_EQ(boxes.Asked()[0], kDeleteQuestion);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"10.1.1.1", "10.1.1.3"}));
    EXPECT_EQ(ItemValues(*list), (std::vector<int>{1, 2}));
    EXPECT_EQ(RowCells(*list)[1][0], QStringLiteral("10.1.1.3"));
    EXPECT_EQ(window->SelectedPosition(), 0);
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("remark B"));
    EXPECT_TRUE(deleteButton->isEnabled());

    // Right after a delete no row is selected.
    boxes.ClearAsked();
    Click("按钮_删除服务器");
    ASSERT_EQ(boxes.Asked().size(), 1U);
    EXPECT_EQ(boxes.Asked()[0], kSelectionMessage);
    EXPECT_EQ(state.serverList->Count(), 2);
}

TEST_F(MainWindowTest, AnUnconfirmedDeleteChangesNothing) {
    for (MessageAnswer answer : {MessageAnswer::Cancel, MessageAnswer::No}) {
        window.reset();
        state.serverList = std::make_shared<ServerList>();
        OpenThree();
        ClickRow(*list, 1);
        boxes.QueueAnswer(answer);
        Click("按钮_删除服务器");
        EXPECT_EQ(state.serverList->Count(), 3);
        EXPECT_EQ(ItemValues(*list), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(window->SelectedPosition(), 2);
        EXPECT_EQ(remark->toPlainText(), QStringLiteral("remark B"));
    }
}

TEST_F(MainWindowTest, EditAndDeleteWithoutASelectionShowTheSelectionMessage) {
    Open({});
    Click("按钮_设置服务器");
    deleteButton->setEnabled(true);
    Click("按钮_删除服务器");
    Settle();
    ASSERT_EQ(boxes.Asked().size(), 2U);
    EXPECT_EQ(boxes.Asked()[0], kSelectionMessage);
    EXPECT_EQ(boxes.Asked()[1], kSelectionMessage);
    EXPECT_EQ(testing::OpenWindow<ServerEditorWindow>(), nullptr);
}

TEST_F(MainWindowTest, TheOptionsAreTheControls) {
    Open({});
    auto* r800 = Find<QRadioButton>(*window, "单选框800600");
    auto* r1024 = Find<QRadioButton>(*window, "单选框1024768");
    auto* console = Find<QCheckBox>(*window, "选择框_onsole");
    auto* admin = Find<QCheckBox>(*window, "选择框_admin");
    EXPECT_FALSE(r800->isChecked() || r1024->isChecked() || console->isChecked() ||
                 admin->isChecked());

    QTest::mouseClick(r1024, Qt::LeftButton);
    EXPECT_TRUE(window->IsResolutionSelected(Resolution::R1024x768));
    QTest::mouseClick(r800, Qt::LeftButton);
    EXPECT_TRUE(r800->isChecked());
    EXPECT_FALSE(r1024->isChecked());
    QTest::mouseClick(console, Qt::LeftButton);
    EXPECT_TRUE(window->IsConsoleOn());
    EXPECT_FALSE(window->IsAdminOn());

    window->TurnAdminOn();
    window->SelectResolution(Resolution::R1024x768);
    EXPECT_TRUE(admin->isChecked());
    EXPECT_FALSE(r800->isChecked());
    EXPECT_EQ(ComposeSettingsText({}, *window, ""),
              "#onsole:1\r\n#admin:1\r\n#Start:1\r\n#LoadinPass:<>\r\n");
}

TEST_F(MainWindowTest, EnterClicksConnectOnlyWhenItIsEnabled) {
    Open({Server("127.0.0.1", "3389", "a")});
    // The buttons' own handlers would start a session or open the editor: only the clicks count.
    auto* add = Find<QPushButton>(*window, "按钮_添加服务器");
    QObject::disconnect(connectButton, &QPushButton::clicked, window.get(), nullptr);
    QObject::disconnect(add, &QPushButton::clicked, window.get(), nullptr);
    QSignalSpy connectClicks(connectButton, &QPushButton::clicked);
    QSignalSpy addClicks(add, &QPushButton::clicked);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(connectClicks.count(), 0);

    ClickRow(*list, 0);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(connectClicks.count(), 1);

    add->setFocus();
    QTest::keyClick(add, Qt::Key_Enter);
    EXPECT_EQ(connectClicks.count(), 2);
    EXPECT_EQ(addClicks.count(), 0);

    remark->setFocus();
    QTest::keyClick(remark, Qt::Key_Return);
    EXPECT_EQ(connectClicks.count(), 3);
}

TEST_F(MainWindowTest, EscAndTheCloseBoxRequestTheCloseOnce) {
    Open({});
    QSignalSpy closeRequests(window.get(), &MainWindow::CloseRequested);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(closeRequests.count(), 1);
    EXPECT_FALSE(window->isVisible());
    window->close();
    EXPECT_EQ(closeRequests.count(), 1);
}

TEST_F(MainWindowTest, ProbeUpdatesRunOnTheGuiThreadAndNeverReachAGoneWindow) {
    Open({Server("127.0.0.1", "1", "a"), Server("127.0.0.1", "2", "b")});
    std::shared_ptr<ProbeView> view = window->ProbeViewHandle();
    EXPECT_EQ(view->RowCount(), 2);

    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        view->ApplyOnGuiThread([&] {
            ranOn = std::this_thread::get_id();
            view->SetRowStateImage(1, 0);
            view->SetRowText(1, 3, "\xD4\xDA\xCF\xDF");  // 在线
        });
        returned = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(RowCells(*list)[1][3], QStringLiteral("在线"));
    EXPECT_EQ(StateImageOfRow(*list, 1), 0);

    // On the GUI thread itself the update runs at once.
    bool direct = false;
    view->ApplyOnGuiThread([&] { direct = true; });
    EXPECT_TRUE(direct);

    // Rows that are not there are left alone.
    view->SetRowText(5, 0, "x");
    view->SetRowStateImage(-1, 0);

    window.reset();
    std::atomic<bool> ran{false};
    returned = false;
    std::thread late([&] {
        view->ApplyOnGuiThread([&] { ran = true; });
        returned = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }));
    late.join();
    EXPECT_FALSE(ran);
    EXPECT_EQ(view->RowCount(), 0);
}

class LinkHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

TEST_F(MainWindowTest, TheLinkOpensTheMakersSite) {
    Open({});
    LinkHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &handler, "Open");
    auto* link = Find<HyperlinkLabel>(*window, "超级链接框1");
    EXPECT_EQ(link->text(), QStringLiteral("Brelquin"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    QTest::mouseClick(link, Qt::RightButton);
    EXPECT_TRUE(handler.opened.isEmpty());
    QTest::mousePress(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(handler.opened.size(), 1);
    EXPECT_EQ(handler.opened[0], QUrl(QString::fromLatin1(kMakerSite)));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

// The start sequence with a settings file of two loopback servers: the rows are those of the
// file until the probes answer, and Esc writes the state back.
TEST(MainWindowStart, ShowsTheServersOfTheSettingsFileAndSavesOnEsc) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(KESTRUNE_TEST_DATA) / "two-servers.ini", "ms.ini");
    const std::string before = LoadSettings("ms.ini");

    AppState state;
    ASSERT_TRUE(RunStartupRoutine(state));
    QPointer<MainWindow> window = testing::OpenWindow<MainWindow>();
    ASSERT_NE(window, nullptr);
    auto* list = Find<QTableView>(*window, "超级列表框1");
    // No probe update has been applied yet: they need the event loop.
    EXPECT_EQ(RowCells(*list), (std::vector<Cells>{
                                   {"127.0.0.1", "9", "Administrator", "..."},
                                   {"127.0.0.1", "", "", "..."},
                               }));
    EXPECT_EQ(ItemValues(*list), (std::vector<int>{1, 2}));
    EXPECT_EQ(StateImageOfRow(*list, 0), 2);
    EXPECT_TRUE(window->IsAdminOn());
    EXPECT_FALSE(window->IsConsoleOn());
    EXPECT_TRUE(window->IsResolutionSelected(Resolution::R800x600));

    ClickRow(*list, 0);
    EXPECT_EQ(Find<QPlainTextEdit>(*window, "编辑框_备注")->toPlainText(),
              QStringLiteral("机房一号\n第二行"));

    QTest::mouseClick(Find<QCheckBox>(*window, "选择框_onsole"), Qt::LeftButton);
    QTest::keyClick(window.data(), Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(LoadSettings("ms.ini"),
              "127.0.0.1|9|Administrator|s3cret|\xBB\xFA\xB7\xBF\xD2\xBB\xBA\xC5\n"
              "\xB5\xDA\xB6\xFE\xD0\xD0\r\n"
              "127.0.0.1||||\r\n#onsole:1\r\n#admin:1\r\n#Start:0\r\n#LoadinPass:<>\r\n");
    EXPECT_NE(before, LoadSettings("ms.ini"));
}

}  // namespace
}  // namespace kestrune

#include "MainWindow_test.moc"
