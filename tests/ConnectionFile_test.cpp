#include "launch/ConnectionFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "platform/DataProtection.h"

namespace kestrune {
namespace {

std::string Cp936(std::u16string_view text) {
    const auto bytes = Utf16ToCp936(text);
    EXPECT_TRUE(bytes);
    return bytes.value_or("");
}

// The 38 lines, written here from their Unicode form so that the code's escapes are checked.
const std::vector<std::u16string> kLines = {
    u"screen mode id:i:1",
    u"desktopwidth:i:800",
    u"desktopheight:i:600",
    u"session bpp:i:16",
    u"winposstr:s:0,3,0,0,800,600",
    u"compression:i:1",
    u"keyboardhook:i:2",
    u"displayconnectionbar:i:1",
    u"username:s:%账号%",
    u"disable wallpaper:i:1",
    u"disable full window drag:i:1",
    u"allow desktop composition:i:0",
    u"allow font smoothing:i:0",
    u"disable menu anims:i:1",
    u"disable themes:i:0",
    u"disable cursor setting:i:0",
    u"bitmapcachepersistenable:i:1",
    u"full address:s:%服务器地址%",
    u"%密码%",
    u"audiomode:i:0",
    u"redirectprinters:i:1",
    u"redirectcomports:i:0",
    u"redirectsmartcards:i:1",
    u"redirectclipboard:i:1",
    u"redirectposdevices:i:0",
    u"drivestoredirect:s:",
    u"autoreconnection enabled:i:1",
    u"authentication level:i:0",
    u"prompt for credentials:i:0",
    u"negotiate security layer:i:1",
    u"remoteapplicationmode:i:0",
    u"alternate shell:s:",
    u"shell working directory:s:",
    u"gatewayhostname:s:",
    u"gatewayusagemethod:i:4",
    u"gatewaycredentialssource:i:4",
    u"gatewayprofileusagemethod:i:0",
    u"promptcredentialonce:i:1",
};

// The template with lines 9, 18 and 19 given (already in code page 936).
std::string Expected(const std::string& line9, const std::string& line18,
                     const std::string& line19) {
    std::string text;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        const std::string line = i == 8    ? line9
                                 : i == 17 ? line18
                                 : i == 18 ? line19
                                           : Cp936(kLines[i]);
        text += line + "\r\n";
    }
    return text;
}

const std::string kBlob("\x00\x0F\xF0\x01\xAB", 5);
const std::string kField = "password 51:b:000FF001AB0";

std::optional<std::string> FixedBlob(std::string_view, std::u16string_view) {
    return kBlob;
}

std::optional<std::string> Failing(std::string_view, std::u16string_view) {
    return std::nullopt;
}

TEST(ConnectionFile, TemplateIsThe38LinesIn908Bytes) {
    std::string expected;
    for (const auto& line : kLines) {
        expected += Cp936(line) + "\r\n";
    }
    EXPECT_EQ(ConnectionTemplate, expected);
    EXPECT_EQ(ConnectionTemplate.size(), 908u);
}

struct Case {
    const char* name;
    ServerEntry entry;
    std::u16string line9, line18, line19;  // line 19 "" means the password field kField
};

TEST(ConnectionFile, PutsTheEntryInPlaceOfThePlaceholders) {
    const std::vector<Case> cases = {
        {"ascii",
         {"10.0.0.1", "3389", "admin", "", ""},
         u"username:s:admin",
         u"full address:s:10.0.0.1:3389",
         u"%密码%"},
        {"chinese account",
         {"host", "3389", Cp936(u"管理员"), "", ""},
         u"username:s:管理员",
         u"full address:s:host:3389",
         u"%密码%"},
        {"empty account",
         {"host", "3389", "", "", ""},
         u"username:s:",
         u"full address:s:host:3389",
         u"%密码%"},
        {"empty port",
         {"host", "", "a", "", ""},
         u"username:s:a",
         u"full address:s:host:",
         u"%密码%"},
        {"empty address",
         {"", "3389", "a", "", ""},
         u"username:s:a",
         u"full address:s::3389",
         u"%密码%"},
        {"port kept as typed",
         {"h", " 033 89", "a", "", ""},
         u"username:s:a",
         u"full address:s:h: 033 89",
         u"%密码%"},
        {"with password", {"h", "1", "a", "pw", ""}, u"username:s:a", u"full address:s:h:1", u""},
        {"address placeholder in account",
         {"h", "1", Cp936(u"x%服务器地址%y"), "", ""},
         u"username:s:xh:1y",
         u"full address:s:h:1",
         u"%密码%"},
        {"password placeholder in account, with password",
         {"h", "1", Cp936(u"%密码%"), "p", ""},
         u"username:s:" + std::u16string(u"password 51:b:000FF001AB0"),
         u"full address:s:h:1",
         u""},
        {"password placeholder in account, no password",
         {"h", "1", Cp936(u"%密码%"), "", ""},
         u"username:s:%密码%",
         u"full address:s:h:1",
         u"%密码%"},
        {"password placeholder in address",
         {Cp936(u"%密码%"), "1", "a", "p", ""},
         u"username:s:a",
         u"full address:s:password 51:b:000FF001AB0:1",
         u""},
        // Each step scans only what follows it: an account placeholder brought in by the
        // address, or by the account itself, stays.
        {"account placeholder in address",
         {Cp936(u"%账号%"), "1", "a", "", ""},
         u"username:s:a",
         u"full address:s:%账号%:1",
         u"%密码%"},
        {"account placeholder in account",
         {"h", "1", Cp936(u"%账号%"), "", ""},
         u"username:s:%账号%",
         u"full address:s:h:1",
         u"%密码%"},
    };
    for (const Case& c : cases) {
        const std::string line19 = c.line19.empty() ? kField : Cp936(c.line19);
        EXPECT_EQ(BuildConnectionFile(c.entry, FixedBlob),
                  Expected(Cp936(c.line9), Cp936(c.line18), line19))
            << c.name;
    }
}

TEST(ConnectionFile, PlaceholderOnASecondByteIsNotMatched) {
    // The lead byte D5 takes the "%" that follows it, so no placeholder starts there.
    const ServerEntry entry{"h", "1", "\xD5" + Cp936(u"%密码%"), "p", ""};
    EXPECT_EQ(BuildConnectionFile(entry, FixedBlob),
              Expected("username:s:\xD5" + Cp936(u"%密码%"), "full address:s:h:1", kField));
}

TEST(ConnectionFile, LengthFollowsTheFieldLengths) {
    const std::vector<ServerEntry> entries = {
        {"10.0.0.1", "3389", "admin", "", ""},
        {Cp936(u"服务器"), "", Cp936(u"账号"), "", ""},
        {"", "", "", "", ""},
    };
    for (ServerEntry entry : entries) {
        const std::size_t a = entry.account.size(), h = entry.address.size(), p = entry.port.size();
        EXPECT_EQ(BuildConnectionFile(entry, FixedBlob).size(), 891 + a + h + p);
        entry.password = "secret";
        EXPECT_EQ(BuildConnectionFile(entry, FixedBlob).size(), 900 + a + h + p + 2 * 5);
        const std::string real = BuildConnectionFile(entry);
        const auto blob = ProtectData(std::string(512, '\0'), u"psw");
        ASSERT_TRUE(blob);
        EXPECT_EQ(real.size(), 900 + a + h + p + 2 * blob->size());
    }
}

TEST(ConnectionFile, FailedProtectionGivesTheSingleZero) {
    const ServerEntry entry{"h", "1", "a", "pw", ""};
    EXPECT_EQ(EncodePasswordField("pw", Failing), "0");
    EXPECT_EQ(BuildConnectionFile(entry, Failing),
              Expected("username:s:a", "full address:s:h:1", "password 51:b:0"));
}

TEST(ConnectionFile, FieldIsTwoUppercaseDigitsPerByteAndATrailingZero) {
    std::string every;
    for (int b = 0; b < 256; ++b) {
        every.push_back(static_cast<char>(b));
    }
    const std::string field =
        EncodePasswordField("x", [&](std::string_view, std::u16string_view) { return every; });
    ASSERT_EQ(field.size(), 513u);
    EXPECT_EQ(field.substr(0, 2), "00");
    EXPECT_EQ(field.substr(2 * 0x0F, 2), "0F");
    EXPECT_EQ(field.substr(2 * 0xF0, 2), "F0");
    EXPECT_EQ(field.substr(2 * 0xAB, 2), "AB");
    EXPECT_EQ(field.substr(510), "FF0");
    EXPECT_EQ(EncodePasswordField("x", FixedBlob), "000FF001AB0");
}

// What the protection step receives.
struct Captured {
    std::string data;
    std::u16string description;
};

Captured Capture(std::string_view password) {
    Captured captured;
    EncodePasswordField(password, [&](std::string_view data, std::u16string_view description) {
        captured = {std::string(data), std::u16string(description)};
        return std::optional<std::string>("");
    });
    return captured;
}

std::string Utf16Le(std::u16string_view units) {
    std::string bytes;
    for (const char16_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

TEST(ConnectionFile, ProtectionInputIs512BytesOfUtf16) {
    struct InputCase {
        std::string password;
        std::string prefix;  // the input's bytes before the zero filling
    };
    const std::string ascii255(255, 'a'), ascii256(256, 'b'), ascii300(300, 'c');
    const std::vector<InputCase> cases = {
        {"pw", Utf16Le(u"pw") + std::string(2, '\0')},
        {Cp936(u"密码"), Utf16Le(u"密码") + std::string(2, '\0')},
        {"a\xFF"
         "b",
         Utf16Le(u"a?b") + std::string(2, '\0')},  // an invalid byte becomes "?"
        {ascii255, Utf16Le(std::u16string(255, u'a')) + std::string(2, '\0')},
        {ascii256, Utf16Le(std::u16string(256, u'b'))},
        {ascii300, Utf16Le(std::u16string(256, u'c'))},
        {Cp936(std::u16string(256, u'密')), Utf16Le(std::u16string(256, u'密'))},
    };
    for (const InputCase& c : cases) {
        const Captured captured = Capture(c.password);
        ASSERT_EQ(captured.data.size(), 512u);
        std::string expected = c.prefix;
        expected.resize(512, '\0');
        EXPECT_EQ(captured.data, expected) << c.password.size();
        EXPECT_EQ(captured.description, u"psw");
    }
}

TEST(ConnectionFile, RealFieldUnprotectsToTheInput) {
    const std::string field = EncodePasswordField(Cp936(u"口令pw"));
    ASSERT_EQ(field.size() % 2, 1u);
    ASSERT_EQ(field.back(), '0');
    std::string blob;
    for (std::size_t i = 0; i + 1 < field.size(); i += 2) {
        blob.push_back(static_cast<char>(std::stoi(field.substr(i, 2), nullptr, 16)));
    }
    EXPECT_THAT(field, ::testing::MatchesRegex("[0-9A-F]+"));
    std::string expected = Utf16Le(u"口令pw");
    expected.resize(512, '\0');
    EXPECT_EQ(UnprotectData(blob), expected);
}

}  // namespace
}  // namespace kestrune
