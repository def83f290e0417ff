#include "launch/SessionLauncher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "launch/ConnectionFile.h"
#include "platform/CodePage.h"
#include "platform/DataProtection.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/TempFiles.h"
#include "tests/support/Isolation.h"
#include "tests/support/StandInClient.h"

namespace kestrune {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

constexpr const char* kLocalDevices = "Software\\Microsoft\\Terminal Server Client\\LocalDevices";

class FakeView : public LauncherView {
public:
    int SelectedPosition() const override { return selected; }
    const LaunchOptionControls& OptionControls() const override {
        ++optionReads;
        return options;
    }
    void SetConnectEnabled(bool enabled) override { connectEnabled.push_back(enabled); }
    void ShowSelectionMessage() override { ++messages; }

    int selected = 0;
    LaunchOptionValues options;
    mutable int optionReads = 0;  // the command line is built only after reading them
    std::vector<bool> connectEnabled;
    int messages = 0;
};

std::vector<std::string> Listing(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(directory)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

std::optional<RegistryValue> Mark(const std::string& keyPath, const std::string& name) {
    auto key = RegistryKey::Open(keyPath, RegistryAccess::Read);
    return key ? key->QueryValue(name) : std::nullopt;
}

class SessionLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::TestRoot();
        ASSERT_EQ(::mkdir(bin_.c_str(), 0700), 0);
        list_.Append({"10.0.0.1", "3389", "first", "", ""});
        list_.Append({"10.0.0.2", "3390", Cp936(u"管理员"), "", ""});
    }
    void TearDown() override {
        SetTempFileNameHookForTesting({});
        SetTickSourceForTesting({});
    }

    static std::string Cp936(std::u16string_view text) { return Utf16ToCp936(text).value(); }

    // Puts the stand-in client on PATH; each launch writes its record under a new name.
    std::string InstallStandIn() {
        const std::string record = root_ + "/record" + std::to_string(++records_);
        testing::WriteStandIn(bin_, "mstsc.exe", record);
        return record;
    }

    std::string root_ = testing::TestRoot();
    std::string bin_ = root_ + "/bin";
    testing::PathPrefix path_{bin_};  // nothing of that name on PATH until a stand-in is put there
    int records_ = 0;
    ServerList list_;
    FakeView view_;
};

TEST_F(SessionLauncherTest, NoSelectionShowsTheMessageAndDoesNothingElse) {
    InstallStandIn();
    for (const int position : {0, -1}) {
        FakeView view;
        view.selected = position;
        LaunchSession(view, list_);
        EXPECT_EQ(view.messages, 1);
        EXPECT_TRUE(view.connectEnabled.empty());
        EXPECT_EQ(view.optionReads, 0);
    }
    EXPECT_TRUE(Listing(root_ + "/runtime").empty());
    EXPECT_TRUE(Listing(root_ + "/config").empty());
}

TEST_F(SessionLauncherTest, StartsTheClientWithTheFileAndTheSwitches) {
    const std::string record = InstallStandIn();
    view_.selected = 2;
    view_.options.TurnConsoleOn();
    view_.options.SelectResolution(Resolution::R1024x768);
    LaunchSession(view_, list_);
    EXPECT_EQ(view_.messages, 0);
    EXPECT_THAT(view_.connectEnabled, ElementsAre(false, true));

    ASSERT_TRUE(testing::WaitForPath(record));
    const auto r = testing::ReadRecord(record);
    ASSERT_EQ(r.args.size(), 4u);
    EXPECT_THAT(r.args[0], MatchesRegex(root_ + "/runtime/([1-9a-f][0-9a-f]*|0)\\.tmp"));
    EXPECT_THAT(r.args, ElementsAre(r.args[0], "/console", "/w:1024", "/h:768"));
    const std::string expected = BuildConnectionFile(list_.EntryAt(2));
    EXPECT_EQ(r.file, expected);
    EXPECT_EQ(ReadWholeFile(r.args[0]), expected);
    struct stat st {};
    ASSERT_EQ(::lstat(r.args[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const auto mark = Mark(kLocalDevices, "10.0.0.2");
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->type, 4u);
    EXPECT_EQ(mark->data, std::string("\x4C\x00\x00\x00", 4));
}

TEST_F(SessionLauncherTest, PasswordReachesTheFileProtected) {
    const std::string record = InstallStandIn();
    list_.ReplaceFields(1, "h", "1", "a", Cp936(u"口令"), "");
    view_.selected = 1;
    LaunchSession(view_, list_);
    ASSERT_TRUE(testing::WaitForPath(record));
    const auto r = testing::ReadRecord(record);
    ASSERT_THAT(r.args, ElementsAre(::testing::_));
    ASSERT_TRUE(r.file);
    const std::string& file = *r.file;
    const std::string head = "password 51:b:";
    const auto start = file.find("\r\n" + head);
    ASSERT_NE(start, std::string::npos);
    const auto hexStart = start + 2 + head.size();
    const std::string hex = file.substr(hexStart, file.find("\r\n", hexStart) - hexStart);
    ASSERT_EQ(hex.size() % 2, 1u);
    std::string blob;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        blob.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    std::string input = std::string("\xE3\x53\xE4\x4E", 4);  // 口令 in UTF-16LE
    input.resize(512, '\0');
    EXPECT_EQ(UnprotectData(blob), input);
}

TEST_F(SessionLauncherTest, EntryIsReadAgainAfterTheNameIsMade) {
    const std::string record = InstallStandIn();
    view_.selected = 1;
    SetTempFileNameHookForTesting(
        [&](const std::string&) { list_.ReplaceFields(1, "changed", "1", "a", "", ""); });
    LaunchSession(view_, list_);
    ASSERT_TRUE(testing::WaitForPath(record));
    EXPECT_EQ(testing::ReadRecord(record).file, BuildConnectionFile({"changed", "1", "a", "", ""}));
    EXPECT_TRUE(Mark(kLocalDevices, "changed"));
}

TEST_F(SessionLauncherTest, PositionBeyondTheEndStartsNothing) {
    InstallStandIn();
    view_.selected = 3;
    LaunchSession(view_, list_);
    EXPECT_THAT(view_.connectEnabled, ElementsAre(false, true));
    EXPECT_EQ(view_.optionReads, 0);
    EXPECT_TRUE(Listing(root_ + "/runtime").empty());
    EXPECT_FALSE(RegistryKey::Open(kLocalDevices, RegistryAccess::Read));
}

TEST_F(SessionLauncherTest, PathWithABlankReachesTheClientWhole) {
    const std::string record = InstallStandIn();
    const std::string runtime = root_ + "/run time";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    view_.selected = 1;
    view_.options.TurnAdminOn();
    LaunchSession(view_, list_);
    ASSERT_TRUE(testing::WaitForPath(record));
    const auto r = testing::ReadRecord(record);
    ASSERT_THAT(r.args, ElementsAre(::testing::StartsWith(runtime + "/"), "/admin"));
    EXPECT_EQ(r.file, BuildConnectionFile(list_.EntryAt(1)));
}

TEST_F(SessionLauncherTest, PlantedLinkAtTheNameIsNeverFollowed) {
    const std::string record = InstallStandIn();
    const std::string victim = root_ + "/victim";
    ASSERT_TRUE(ReplaceFileAtomically(victim, "keep"));
    std::string planted;
    SetTempFileNameHookForTesting([&](const std::string& path) {
        planted = path;
        ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
    });
    view_.selected = 1;
    LaunchSession(view_, list_);
    ASSERT_TRUE(testing::WaitForPath(record));
    const auto r = testing::ReadRecord(record);
    EXPECT_EQ(ReadWholeFile(victim), "keep");
    char target[4096];
    const ssize_t n = ::readlink(planted.c_str(), target, sizeof target);
    EXPECT_EQ(std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0), victim);
    // The next number was created in its place, and that is the name the client got.
    const auto hexStart = planted.rfind('/') + 1;
    const auto number = std::stoul(planted.substr(hexStart), nullptr, 16);
    char next[16];
    std::snprintf(next, sizeof next, "%lx.tmp", (number + 1) & 0xFFFFFFFFul);
    ASSERT_THAT(r.args, ElementsAre(planted.substr(0, hexStart) + next));
    EXPECT_EQ(r.file, BuildConnectionFile(list_.EntryAt(1)));
}

TEST_F(SessionLauncherTest, EveryNameTakenStartsNoClient) {
    SetTickSourceForTesting([] { return 0x1000u; });
    SetTempFileNameHookForTesting([&](const std::string& path) {
        const std::string directory = path.substr(0, path.rfind('/') + 1);
        auto number = std::stoul(path.substr(directory.size()), nullptr, 16);
        for (int i = 0; i < 200; ++i, ++number) {
            char name[16];
            std::snprintf(name, sizeof name, "%lx.tmp", number);
            ::symlink("/nonexistent", (directory + name).c_str());
        }
    });
    InstallStandIn();
    view_.selected = 1;
    LaunchSession(view_, list_);
    EXPECT_EQ(view_.optionReads, 0);  // no command line was made
    EXPECT_THAT(view_.connectEnabled, ElementsAre(false, true));
    EXPECT_TRUE(Mark(kLocalDevices, "10.0.0.1"));  // the steps after the file still run
}

TEST_F(SessionLauncherTest, MarksTheAddressOnlyWhenAbsent) {
    // No client on PATH and no adapter beside the tests: nothing starts.
    {
        auto key = RegistryKey::Create(kLocalDevices);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->SetValue("text", RegistryType::String, "x"));
        ASSERT_TRUE(key->SetDword("zero", 0));
        ASSERT_TRUE(key->SetValue("odd", static_cast<RegistryType>(0x1234), ""));
        ASSERT_TRUE(key->SetValue("HOST", RegistryType::Binary, "b"));
    }
    const std::string dword76("\x4C\x00\x00\x00", 4);
    const struct {
        std::string address;
        std::string key;
        std::string name;
        RegistryValue expected;
    } cases[] = {
        {"new", kLocalDevices, "new", {4, dword76}},
        {"text", kLocalDevices, "text", {1, "x"}},
        {"zero", kLocalDevices, "zero", {4, std::string(4, '\0')}},
        {"odd", kLocalDevices, "odd", {0x1234, ""}},
        {"host", kLocalDevices, "HOST", {3, "b"}},  // names ignore ASCII case
        {"a\\b", std::string(kLocalDevices) + "\\a", "b", {4, dword76}},
        {"x\\y\\z", std::string(kLocalDevices) + "\\x\\y", "z", {4, dword76}},
        {"", kLocalDevices, "", {4, dword76}},  // the key's default value
        {"..\\..\\x", std::string(kLocalDevices) + "\\..\\..", "x", {4, dword76}},
        {"a/b", kLocalDevices, "a/b", {4, dword76}},
        // The lead byte 81 takes the 5C after it: one name, no separator.
        {"\x81\\", kLocalDevices, "\x81\\", {4, dword76}},
    };
    for (const auto& c : cases) {
        list_.ReplaceFields(1, c.address, "1", "a", "", "");
        view_.selected = 1;
        LaunchSession(view_, list_);
        const auto value = Mark(c.key, c.name);
        ASSERT_TRUE(value) << c.address;
        EXPECT_EQ(value->type, c.expected.type) << c.address;
        EXPECT_EQ(value->data, c.expected.data) << c.address;
    }
    // Every name stayed inside the store.
    EXPECT_THAT(Listing(root_ + "/config/kestrune"),
                ::testing::UnorderedElementsAre("registry", "registry.lock"));
}

TEST(SessionLauncher, CommandLineHasTheSwitchesInTableOrder) {
    const struct {
        bool console, admin, r800, r1024;
        std::string line;
    } cases[] = {
        {false, false, false, false, "mstsc.exe /t/1a.tmp "},
        {true, false, false, true, "mstsc.exe /t/1a.tmp /console /w:1024 /h:768 "},
        {true, true, false, false, "mstsc.exe /t/1a.tmp /console /admin "},
        {false, true, true, false, "mstsc.exe /t/1a.tmp /admin /w:800 /h:600 "},
        {true, true, true, true,
         "mstsc.exe /t/1a.tmp /console /admin /w:800 /h:600 /w:1024 /h:768 "},
    };
    for (const auto& c : cases) {
        LaunchOptionValues options;
        options.console = c.console;
        options.admin = c.admin;
        options.r800x600 = c.r800;
        options.r1024x768 = c.r1024;
        EXPECT_EQ(MakeCommandLine("/t/1a.tmp", options), c.line);
    }
    EXPECT_EQ(MakeCommandLine("/t/a b/1a.tmp", LaunchOptionValues()),
              "mstsc.exe \"/t/a b/1a.tmp\" ");
}

// The number in a name made by MakeTempFileName.
std::uint32_t NumberOf(const std::string& name) {
    const std::string directory = TemporaryDirectory();
    EXPECT_EQ(name.substr(0, directory.size()), directory);
    EXPECT_THAT(name.substr(directory.size()), MatchesRegex("([1-9a-f][0-9a-f]*|0)\\.tmp"));
    return static_cast<std::uint32_t>(std::stoul(name.substr(directory.size()), nullptr, 16));
}

class TempFileNameTest : public ::testing::Test {
protected:
    void TearDown() override { SetTickSourceForTesting({}); }
    std::uint32_t tick_ = 0;
};

TEST_F(TempFileNameTest, NamesInOneMillisecondDiffer) {
    SetTickSourceForTesting([this] { return tick_; });
    tick_ = 0x500;
    const std::string first = MakeTempFileName();
    const std::string second = MakeTempFileName();
    EXPECT_NE(first, second);
    EXPECT_EQ(NumberOf(second), NumberOf(first) + 1);
    // With the system's clock too.
    SetTickSourceForTesting({});
    EXPECT_NE(MakeTempFileName(), MakeTempFileName());
}

TEST_F(TempFileNameTest, TakenNamesArePassedOverAndTheCounterRisesOncePerCall) {
    SetTickSourceForTesting([this] { return tick_; });
    tick_ = 0x100;
    const std::uint32_t counter = NumberOf(MakeTempFileName()) - tick_;  // the counter before
    const std::string directory = TemporaryDirectory();
    auto nameOf = [&](std::uint32_t n) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x.tmp", n);
        return directory + hex;
    };
    // The next call gives tick + counter + 1; take that and the two after it.
    const std::uint32_t next = tick_ + counter + 1;
    ASSERT_TRUE(ReplaceFileAtomically(nameOf(next), "file"));
    ASSERT_EQ(::mkdir(nameOf(next + 1).c_str(), 0700), 0);
    ASSERT_EQ(::symlink("/nonexistent", nameOf(next + 2).c_str()), 0);
    EXPECT_EQ(MakeTempFileName(), nameOf(next + 3));
    // The counter rose by one, not by the three names passed over; the name is not created.
    EXPECT_EQ(MakeTempFileName(), nameOf(next + 3));
    EXPECT_EQ(MakeTempFileName(), nameOf(next + 3));
    EXPECT_FALSE(PathExists(nameOf(next + 3)));

    // N and its steps wrap in 32 bits.
    const std::uint32_t now = counter + 4;  // the counter at the next call
    tick_ = 0xFFFFFFFFu - now;
    ASSERT_TRUE(ReplaceFileAtomically(nameOf(0xFFFFFFFFu), "file"));
    EXPECT_EQ(MakeTempFileName(), nameOf(0));
}

}  // namespace
}  // namespace kestrune
