#include "launch/client/RdpClientAdapter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launch/ConnectionFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/TempFiles.h"
#include "tests/support/Isolation.h"

namespace kestrune {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

std::string Cp936(std::u16string_view text) {
    const auto bytes = Utf16ToCp936(text);
    EXPECT_TRUE(bytes);
    return bytes.value_or("");
}

ServerEntry Entry(std::u16string_view account, std::u16string_view password) {
    ServerEntry entry;
    entry.address = "127.0.0.1";
    entry.port = "3389";
    entry.account = Cp936(account);
    entry.password = Cp936(password);
    return entry;
}

std::string WriteConnectionFile(const ServerEntry& entry) {
    const std::string path = testing::TestRoot() + "/connection.tmp";
    std::ofstream(path, std::ios::binary) << BuildConnectionFile(entry);
    return path;
}

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(directory)) {
        names.push_back(item.path().filename().string());
    }
    return names;
}

// ---------------------------------------------------------------------------------------------
// The switches

struct SwitchCase {
    std::vector<std::string> given;
    std::vector<std::string> passed;
    std::vector<std::string> ignored;
};

TEST(TranslateSwitchesTest, MapsTheWindowsClientsSwitchesToFreeRdps) {
    const std::vector<SwitchCase> cases = {
        {{}, {}, {}},
        {{"/console"}, {"/admin"}, {}},
        {{"/admin"}, {"/admin"}, {}},
        {{"/console", "/admin"}, {"/admin"}, {}},
        {{"/w:800", "/h:600"}, {"/w:800", "/h:600"}, {}},
        {{"/w:1024", "/h:768"}, {"/w:1024", "/h:768"}, {}},
        {{"/console", "/admin", "/w:1024", "/h:768"}, {"/admin", "/w:1024", "/h:768"}, {}},
        {{"/CONSOLE", "/W:800", "/H:600"}, {"/admin", "/w:800", "/h:600"}, {}},
        {{"/f", "/p:secret", "/w:", "/w:8x0", "+auth-only"},
         {},
         {"/f", "/p:secret", "/w:", "/w:8x0", "+auth-only"}},
    };
    for (const SwitchCase& c : cases) {
        const TranslatedSwitches result = TranslateSwitches(c.given);
        EXPECT_EQ(result.arguments, c.passed) << ::testing::PrintToString(c.given);
        EXPECT_EQ(result.ignored, c.ignored) << ::testing::PrintToString(c.given);
    }
}

// ---------------------------------------------------------------------------------------------
// Reading the connection file and the FreeRDP copy

// What FreeRDP gets for the account 张三 at 127.0.0.1:3389: the file in UTF-8, CR LF kept, the
// password line gone.
const char* const kChineseCopyLines[] = {
    "screen mode id:i:1",
    "desktopwidth:i:800",
    "desktopheight:i:600",
    "session bpp:i:16",
    "winposstr:s:0,3,0,0,800,600",
    "compression:i:1",
    "keyboardhook:i:2",
    "displayconnectionbar:i:1",
    "username:s:\xE5\xBC\xA0\xE4\xB8\x89",  // 张三
    "disable wallpaper:i:1",
    "disable full window drag:i:1",
    "allow desktop composition:i:0",
    "allow font smoothing:i:0",
    "disable menu anims:i:1",
    "disable themes:i:0",
    "disable cursor setting:i:0",
    "bitmapcachepersistenable:i:1",
    "full address:s:127.0.0.1:3389",
    "audiomode:i:0",
    "redirectprinters:i:1",
    "redirectcomports:i:0",
    "redirectsmartcards:i:1",
    "redirectclipboard:i:1",
    "redirectposdevices:i:0",
    "drivestoredirect:s:",
    "autoreconnection enabled:i:1",
    "authentication level:i:0",
    "prompt for credentials:i:0",
    "negotiate security layer:i:1",
    "remoteapplicationmode:i:0",
    "alternate shell:s:",
    "shell working directory:s:",
    "gatewayhostname:s:",
    "gatewayusagemethod:i:4",
    "gatewaycredentialssource:i:4",
    "gatewayprofileusagemethod:i:0",
    "promptcredentialonce:i:1",
};

std::string ExpectedChineseCopy() {
    std::string text;
    for (const char* line : kChineseCopyLines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TEST(ReadConnectionTextTest, ConvertsAChineseAccountToUtf8AndTakesThePasswordOut) {
    const std::string file = BuildConnectionFile(Entry(u"张三", u"密码Secret"));
    const ConnectionFileContent content = ReadConnectionText(file);

    EXPECT_EQ(content.freeRdpText, ExpectedChineseCopy());
    EXPECT_EQ(content.account, "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_TRUE(content.ignoreCertificate);
    ASSERT_TRUE(content.passwordField);
    const std::size_t at = file.find("password 51:b:");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(*content.passwordField, file.substr(at + 14, file.find('\r', at) - at - 14));
}

TEST(ReadConnectionTextTest, KeepsTheRestAsItIsAndDropsEveryPasswordLine) {
    // Lowercase names, blanks, a clear-text password line, a line FreeRDP would take for an
    // option: none of them reaches the copy.
    const std::string file =
        "username:s:tester\r\n"
        " Password 51:b:01AB0F0\r\n"
        "password:s:clear\r\n"
        "drivestoredirect:s:\rpassword 51:b:0F0\r\n"  // a lone CR ends a line for FreeRDP
        "%\xC3\xDC\xC2\xEB%\r\n"                      // %密码%, an entry without password
        "username:s:x\n/drive:all,/\r\n"              // FreeRDP would run it as an option
        "authentication level:i:2\n"
        "full address:s:host:1";
    const ConnectionFileContent content = ReadConnectionText(file);
    EXPECT_EQ(content.freeRdpText,
              "username:s:tester\r\ndrivestoredirect:s:\r%\xE5\xAF\x86\xE7\xA0\x81%\r\n"
              "username:s:x\nauthentication level:i:2\nfull address:s:host:1");
    EXPECT_THAT(content.ignoredLines, ElementsAre("/drive:all,/"));
    EXPECT_EQ(content.passwordField, "01AB0F0");
    EXPECT_FALSE(content.ignoreCertificate);
}

TEST(ReadConnectionTextTest, AFileWithoutPasswordHasNoField) {
    const ConnectionFileContent content = ReadConnectionText(BuildConnectionFile(Entry(u"a", u"")));
    EXPECT_FALSE(content.passwordField);
    EXPECT_EQ(content.account, "a");
}

TEST(WriteFreeRdpCopyTest, MakesAnOwnerOnlyRdpFileInTheTemporaryDirectory) {
    const std::string text = ExpectedChineseCopy();
    const std::optional<std::string> first = WriteFreeRdpCopy(text);
    const std::optional<std::string> second = WriteFreeRdpCopy(text);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_THAT(*first, AllOf(StartsWith(TemporaryDirectory() + "kestrune-"), EndsWith(".rdp")));
    EXPECT_EQ(ReadWholeFile(*first), text);
    struct stat st {};
    ASSERT_EQ(::lstat(first->c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// ---------------------------------------------------------------------------------------------
// The password field

TEST(UnprotectPasswordFieldTest, GivesBackWhatTheConnectionFileProtected) {
    const std::u16string longest(255, u'字');
    const std::u16string tooLong(300, u'x');
    const struct {
        std::u16string stored;
        std::string expected;
    } cases[] = {
        {u"Secret123", "Secret123"},
        {u"密码Secret", "\xE5\xAF\x86\xE7\xA0\x81Secret"},
        {longest, Utf16ToUtf8(longest)},
        // 256 units or more fill the whole buffer, without a zero unit: cut after 256.
        {tooLong, std::string(256, 'x')},
    };
    for (const auto& c : cases) {
        const std::string field = EncodePasswordField(Cp936(c.stored));
        ASSERT_EQ(field.size() % 2, 1u);
        EXPECT_EQ(UnprotectPasswordField(field), c.expected);
        // A field written without the closing "0" reads the same.
        EXPECT_EQ(UnprotectPasswordField(field.substr(0, field.size() - 1)), c.expected);
    }
}

TEST(UnprotectPasswordFieldTest, RefusesWhatDoesNotUnprotect) {
    std::string field = EncodePasswordField("Secret123");
    std::string changed = field;
    changed[20] = changed[20] == 'A' ? 'B' : 'A';
    std::string notHex = field;
    notHex[4] = 'G';
    for (const std::string& bad : {std::string("0"), std::string(), changed, notHex}) {
        EXPECT_FALSE(UnprotectPasswordField(bad)) << bad;
    }
}

TEST(Utf16ToUtf8Test, EncodesEveryRangeAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u5BC6\U0001F600"), "a\xC3\xA9\xE5\xAF\x86\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)}),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

// ---------------------------------------------------------------------------------------------
// The adapter as a whole, with the client start watched

struct SeenLaunch {
    bool called = false;
    ClientLaunch launch;
    std::string copyPath;
    std::optional<std::string> copyText;
    mode_t copyMode = 0;
};

ClientRunner Watch(SeenLaunch& seen, std::optional<int> status) {
    return [&seen, status](const ClientLaunch& launch, std::ostream&) {
        seen.called = true;
        seen.launch = launch;
        if (!launch.arguments.empty()) {
            seen.copyPath = launch.arguments.front();
            seen.copyText = ReadWholeFile(seen.copyPath);
            struct stat st {};
            if (::lstat(seen.copyPath.c_str(), &st) == 0) {
                seen.copyMode = st.st_mode & 07777;
            }
        }
        return status;
    };
}

TEST(RunRdpClientAdapterTest, HandsThePasswordOnStandardInputAndRemovesTheCopyAfterwards) {
    const std::string file = WriteConnectionFile(Entry(u"张三", u"密码Secret"));
    SeenLaunch seen;
    std::ostringstream errors;
    const int status =
        RunRdpClientAdapter({file, "/console", "/w:1024", "/h:768"}, Watch(seen, 7), errors);

    EXPECT_EQ(status, 7);  // the client's own status
    ASSERT_TRUE(seen.called);
    EXPECT_THAT(seen.launch.arguments, ElementsAre(seen.copyPath, "/admin", "/w:1024", "/h:768",
                                                   "/from-stdin:force", "/cert:ignore"));
    EXPECT_EQ(seen.launch.standardInput, "\xE5\xAF\x86\xE7\xA0\x81Secret\n");
    EXPECT_THAT(seen.copyPath,
                AllOf(StartsWith(TemporaryDirectory() + "kestrune-"), EndsWith(".rdp")));
    EXPECT_EQ(seen.copyText, ExpectedChineseCopy());
    EXPECT_EQ(seen.copyMode, 0600u);
    EXPECT_THAT(errors.str(), IsEmpty());
    // Gone once the client has ended; nothing else is left behind.
    EXPECT_FALSE(PathExists(seen.copyPath));
    EXPECT_THAT(FilesIn(TemporaryDirectory()), IsEmpty());
}

TEST(RunRdpClientAdapterTest, WithoutAPasswordFreeRdpAsksAsItWould) {
    const std::string file = WriteConnectionFile(Entry(u"tester", u""));
    SeenLaunch seen;
    std::ostringstream errors;
    EXPECT_EQ(RunRdpClientAdapter({file}, Watch(seen, 0), errors), 0);
    EXPECT_THAT(seen.launch.arguments, ElementsAre(seen.copyPath, "/cert:ignore"));
    EXPECT_FALSE(seen.launch.standardInput);
    EXPECT_FALSE(PathExists(seen.copyPath));
}

TEST(RunRdpClientAdapterTest, WithoutAnAccountThePasswordIsNotHandedOn) {
    // FreeRDP would take the first line of its input for the account's name.
    const std::string file = WriteConnectionFile(Entry(u"", u"Secret123"));
    SeenLaunch seen;
    std::ostringstream errors;
    EXPECT_EQ(RunRdpClientAdapter({file}, Watch(seen, 0), errors), 0);
    EXPECT_THAT(seen.launch.arguments, Not(Contains("/from-stdin:force")));
    EXPECT_FALSE(seen.launch.standardInput);
    EXPECT_THAT(errors.str(), HasSubstr("no account"));
}

TEST(RunRdpClientAdapterTest, FailuresEndWithAMessageAndLeaveNoCopy) {
    const std::string good = WriteConnectionFile(Entry(u"tester", u"Secret123"));
    std::string damaged = *ReadWholeFile(good);
    damaged[damaged.find("password 51:b:") + 30] ^= 1;  // one digit changed
    const std::string damagedPath = testing::TestRoot() + "/damaged.tmp";
    std::ofstream(damagedPath, std::ios::binary) << damaged;

    const struct {
        const char* what;
        std::vector<std::string> arguments;
        std::optional<int> clientStatus;
        bool clientCalled;
        const char* message;
    } cases[] = {
        {"no arguments", {}, 0, false, "usage"},
        {"unreadable file", {testing::TestRoot() + "/absent.tmp"}, 0, false, "cannot read"},
        {"blob that does not unprotect", {damagedPath}, 0, false, "cannot be unprotected"},
        {"client that does not start", {good}, std::nullopt, true, ""},
    };
    for (const auto& c : cases) {
        SeenLaunch seen;
        std::ostringstream errors;
        EXPECT_NE(RunRdpClientAdapter(c.arguments, Watch(seen, c.clientStatus), errors), 0)
            << c.what;
        EXPECT_EQ(seen.called, c.clientCalled) << c.what;
        EXPECT_THAT(errors.str(), HasSubstr(c.message)) << c.what;
        EXPECT_THAT(FilesIn(TemporaryDirectory()), IsEmpty()) << c.what;
    }
}

// ---------------------------------------------------------------------------------------------
// The real runner, with a stand-in for FreeRDP's client on PATH

class RunFreeRdpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        bin_ = testing::TestRoot() + "/bin";
        std::filesystem::create_directories(bin_);
    }
    void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

    // A stand-in that records its arguments and its input, then ends with `status`.
    void InstallStandIn(int status) {
        const std::string script = bin_ + "/xfreerdp";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "printf '%s\\n' \"$@\" > '" << testing::TestRoot() << "/args'\n"
                              << "cat > '" << testing::TestRoot() << "/input'\n"
                              << "exit " << status << "\n";
        ::chmod(script.c_str(), 0755);
        ::setenv("PATH", (bin_ + ":/usr/bin:/bin").c_str(), 1);
    }

    std::string savedPath_;
    std::string bin_;
};

TEST_F(RunFreeRdpClientTest, FeedsTheInputThroughAPipeAndGivesTheClientsStatus) {
    InstallStandIn(3);
    std::ostringstream errors;
    const ClientLaunch launch{{"/tmp/a b.rdp", "/admin"}, std::string("Secret123\n")};
    EXPECT_EQ(RunFreeRdpClient(launch, errors), 3);
    EXPECT_EQ(ReadWholeFile(testing::TestRoot() + "/args"), "/tmp/a b.rdp\n/admin\n");
    EXPECT_EQ(ReadWholeFile(testing::TestRoot() + "/input"), "Secret123\n");
}

TEST_F(RunFreeRdpClientTest, AClientThatEndsWithoutReadingDoesNotEndTheAdapter) {
    // More than a pipe holds: the write meets a closed pipe, which must not kill the adapter
    // before it has removed the copy.
    const std::string script = bin_ + "/xfreerdp";
    std::ofstream(script) << "#!/bin/sh\nexit 5\n";
    ::chmod(script.c_str(), 0755);
    ::setenv("PATH", bin_.c_str(), 1);
    std::ostringstream errors;
    EXPECT_EQ(RunFreeRdpClient(ClientLaunch{{"x.rdp"}, std::string(1 << 20, 'p')}, errors), 5);
}

TEST_F(RunFreeRdpClientTest, WithoutFreeRdpSaysSoAndStartsNothing) {
    ::setenv("PATH", bin_.c_str(), 1);
    std::ostringstream errors;
    EXPECT_FALSE(RunFreeRdpClient(ClientLaunch{{"x.rdp"}, std::nullopt}, errors));
    EXPECT_THAT(errors.str(), HasSubstr("freerdp2-x11"));
}

}  // namespace
}  // namespace kestrune
