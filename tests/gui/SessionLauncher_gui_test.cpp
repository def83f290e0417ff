#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <memory>

#include "launch/ConnectionFile.h"
#include "launch/SessionLauncher.h"
#include "platform/Registry.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/Isolation.h"
#include "tests/support/StandInClient.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"

namespace kestrune {
namespace {

using testing::ClickRow;
using ::testing::ElementsAre;
using testing::Find;
using testing::Server;

constexpr const char* kLocalDevices = "Software\\Microsoft\\Terminal Server Client\\LocalDevices";
const std::string kAdministrator = "\xB9\xDC\xC0\xED\xD4\xB1";  // 管理员

bool IsEmptyDirectory(const std::string& path) {
    return !std::filesystem::exists(path) || std::filesystem::is_empty(path);
}

// Connect on the real window, with a stand-in client first on PATH under the client's name.
class SessionLauncherGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(bin_.c_str(), 0700), 0);
        testing::WriteStandIn(bin_, "mstsc.exe", record_);
        state_.serverList->Append(Server("10.0.0.1", "3389", "first"));
        state_.serverList->Append(Server("10.0.0.2", "3390", kAdministrator, "", "remark"));
        window_ = std::make_unique<MainWindow>(state_);
        window_->RefreshServerList();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        list_ = Find<QTableView>(*window_, "超级列表框1");
        connect_ = Find<QPushButton>(*window_, "按钮_连接服务器");
    }
    void TearDown() override { SetTickSourceForTesting({}); }

    std::string root_ = testing::TestRoot();
    std::string bin_ = root_ + "/bin";
    std::string record_ = root_ + "/record";
    testing::PathPrefix path_{bin_};
    ScriptedMessageBoxes boxes_;
    AppState state_;
    std::unique_ptr<MainWindow> window_;
    QTableView* list_ = nullptr;
    QPushButton* connect_ = nullptr;
};

TEST_F(SessionLauncherGuiTest, EnterOnASelectedRowStartsTheClientWithTheFile) {
    ClickRow(*list_, 1);
    QTest::mouseClick(Find<QCheckBox>(*window_, "选择框_onsole"), Qt::LeftButton);
    QTest::mouseClick(Find<QRadioButton>(*window_, "单选框1024768"), Qt::LeftButton);
    list_->setFocus();
    QTest::keyClick(list_, Qt::Key_Return);

    EXPECT_TRUE(boxes_.Asked().empty());
    EXPECT_TRUE(connect_->isEnabled());
    ASSERT_TRUE(testing::WaitForPath(record_));
    const auto r = testing::ReadRecord(record_);
    ASSERT_EQ(r.args.size(), 4u);
    EXPECT_THAT(r.args[0], ::testing::MatchesRegex(root_ + "/runtime/[0-9a-f]+\\.tmp"));
    EXPECT_THAT(r.args, ElementsAre(r.args[0], "/console", "/w:1024", "/h:768"));
    const std::string expected =
        BuildConnectionFile(Server("10.0.0.2", "3390", kAdministrator, "", "remark"));
    EXPECT_EQ(r.file, expected);
    EXPECT_EQ(testing::ReadText(r.args[0]), expected);
    auto key = RegistryKey::Open(kLocalDevices, RegistryAccess::Read);
    ASSERT_TRUE(key);
    const auto mark = key->QueryValue("10.0.0.2");
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->data, std::string("\x4C\x00\x00\x00", 4));
}

TEST_F(SessionLauncherGuiTest, ConnectWithoutASelectionOnlyShowsTheMessage) {
    // A delete leaves no row selected and Connect enabled.
    ClickRow(*list_, 0);
    boxes_.QueueAnswer(MessageAnswer::Ok);
    QTest::mouseClick(Find<QPushButton>(*window_, "按钮_删除服务器"), Qt::LeftButton);
    ASSERT_EQ(window_->SelectedPosition(), 0);
    ASSERT_TRUE(connect_->isEnabled());
    boxes_.ClearAsked();

    // The launcher makes a file name before anything else it does: with the clock held still,
    // a name made before and after the click shows whether it got that far.
    SetTickSourceForTesting([] { return 0x40000000u; });
    const std::string before = MakeTempFileName();
    list_->setFocus();
    QTest::keyClick(list_, Qt::Key_Return);
    const std::string after = MakeTempFileName();

    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0],
              (MessageRequest{QStringLiteral("请选择服务器列表！"), QStringLiteral("操作错误"),
                              MessageIcon::Error, MessageButtons::Ok}));
    EXPECT_TRUE(connect_->isEnabled());
    EXPECT_EQ(std::stoul(after.substr(after.rfind('/') + 1), nullptr, 16),
              std::stoul(before.substr(before.rfind('/') + 1), nullptr, 16) + 1);
    EXPECT_TRUE(IsEmptyDirectory(root_ + "/runtime"));
    EXPECT_TRUE(IsEmptyDirectory(root_ + "/config"));
    EXPECT_FALSE(std::filesystem::exists(record_));
}

}  // namespace
}  // namespace kestrune
