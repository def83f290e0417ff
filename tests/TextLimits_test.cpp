#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/LaunchOptions.h"
#include "core/ServerList.h"
#include "core/SettingsFile.h"
#include "core/TextLimits.h"

namespace kestrune {
namespace {

using Kind = SettingsTextKind;

struct Case {
    const char* name;
    std::string text;
    Kind kind;
    std::optional<TextFault> fault;
};

std::vector<Case> Cases() {
    using std::nullopt;
    return {
        {"plain", "127.0.0.1", Kind::ServerText, nullopt},
        {"empty", "", Kind::ServerText, nullopt},
        {"two-byte", "\xBB\xFA\xB7\xBF", Kind::ServerText, nullopt},             // 机房
        {"bar as second byte", "\x96|\xC3\xC5", Kind::ServerText, nullopt},      // 東门
        {"marker after lead byte", "\x96#onsole:1", Kind::ServerText, nullopt},  // 東 + onsole:1
        {"greater-than in a server text", "a>b", Kind::ServerText, nullopt},
        {"bar", "a|b", Kind::ServerText, TextFault::Delimiter},
        {"bar in remark", "a|b", Kind::Remark, TextFault::Delimiter},
        {"console marker", "x#onsole:1", Kind::ServerText, TextFault::Marker},
        {"admin marker", "#admin:", Kind::Remark, TextFault::Marker},
        {"start marker", "#Start:1", Kind::ServerText, TextFault::Marker},
        {"password marker", "#LoadinPass:<x>", Kind::Remark, TextFault::Marker},
        {"CR LF in address", "a\r\nb", Kind::ServerText, TextFault::LineBreak},
        {"LF in password", "a\nb", Kind::ServerText, TextFault::LineBreak},
        {"CR LF in remark", "one\r\ntwo\r\n", Kind::Remark, nullopt},
        {"lone LF in remark", "one\ntwo", Kind::Remark, TextFault::LineBreak},
        {"lone CR in remark", "one\rtwo", Kind::Remark, TextFault::LineBreak},
        {"zero", std::string("a\0b", 3), Kind::ServerText, TextFault::ZeroChar},
        {"euro", "5\x80", Kind::Remark, TextFault::LoneHighByte},
        {"euro inside", "\x80x", Kind::ServerText, TextFault::LoneHighByte},
        {"lead byte at end", "ab\xBB", Kind::ServerText, TextFault::LoneHighByte},
        {"0xFF", "\xFF", Kind::ServerText, TextFault::LoneHighByte},
        {"password greater-than", "a>b", Kind::StartupPassword, TextFault::ClosingMarker},
        {"password bar", "a|b", Kind::StartupPassword, TextFault::Delimiter},
        {"password line break", "a\r\nb", Kind::StartupPassword, TextFault::LineBreak},
        {"password plain", "\xBF\xAA\xC3\xC5", Kind::StartupPassword, nullopt},  // 开门
    };
}

TEST(TextLimits, ChecksEachPlaceOfTheFile) {
    for (const Case& c : Cases()) {
        EXPECT_EQ(CheckSettingsText(c.text, c.kind), c.fault) << c.name;
    }
}

// The check is only worth something if what it lets through really comes back as written.
TEST(TextLimits, AcceptedServerTextsSurviveSaveAndLoad) {
    ServerList list;
    std::vector<ServerEntry> accepted;
    for (const Case& c : Cases()) {
        if (c.fault || c.kind == Kind::StartupPassword) {
            continue;
        }
        ServerEntry e;
        (c.kind == Kind::Remark ? e.remark : e.address) = c.text;
        e.account = c.text.find('\r') == std::string::npos ? c.text : std::string();
        list.Append(e);
        accepted.push_back(e);
    }
    LaunchOptionValues none;
    ASSERT_TRUE(SaveSettings("ms.ini", list, none, ""));

    ServerList back;
    LaunchOptionValues options;
    ParseSettings(LoadSettings("ms.ini"), back, options);
    EXPECT_EQ(back.Entries(), accepted);
    EXPECT_FALSE(options.console);
    EXPECT_FALSE(options.admin);
    EXPECT_FALSE(options.r1024x768);
}

}  // namespace
}  // namespace kestrune
