#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/SettingsFile.h"
#include "platform/FileSystem.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Code page 936 texts.
const std::string kMachineRoomOne = "\xBB\xFA\xB7\xBF\xD2\xBB\xBA\xC5";  // 机房一号
const std::string kAdministrators = "\xB9\xDC\xC0\xED\xD4\xB1";          // 管理员
const std::string kEastGate = "\x96|\xC3\xC5";                           // 東门, 東 ends in "|"
const std::string kLineOne = "\xB5\xDA\xD2\xBB\xD0\xD0";                 // 第一行
const std::string kLineTwo = "\xB5\xDA\xB6\xFE\xD0\xD0";                 // 第二行
const std::string kOpenSesame = "\xBF\xAA\xC3\xC5";                      // 开门

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> DirectoryNames(const std::string& dir = ".") {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

struct Options {
    bool console = false;
    bool admin = false;
    bool r800x600 = false;
    bool r1024x768 = false;
    friend bool operator==(const Options&, const Options&) = default;
};

Options Of(const LaunchOptionValues& v) {
    return Options{v.console, v.admin, v.r800x600, v.r1024x768};
}

LaunchOptionValues Values(const Options& o) {
    LaunchOptionValues v;
    v.console = o.console;
    v.admin = o.admin;
    v.r800x600 = o.r800x600;
    v.r1024x768 = o.r1024x768;
    return v;
}

std::ostream& operator<<(std::ostream& os, const Options& o) {
    return os << "{console " << o.console << ", admin " << o.admin << ", 800x600 " << o.r800x600
              << ", 1024x768 " << o.r1024x768 << "}";
}

ServerEntry Entry(std::string address, std::string port, std::string account, std::string password,
                  std::string remark) {
    return ServerEntry{std::move(address),  std::move(port),   std::move(account),
                       std::move(password), std::move(remark), ServerStatus::Unknown};
}

struct Parsed {
    std::vector<ServerEntry> entries;
    Options options;
};

Parsed Parse(const std::string& text, const Options& before = {}) {
    ServerList list;
    LaunchOptionValues options = Values(before);
    ParseSettings(text, list, options);
    return Parsed{list.Entries(), Of(options)};
}

// RC4 itself: RFC 6229, 40-bit key 0x0102030405, keystream at offsets 0 and 16.
TEST(SettingsCodec, MatchesPublishedKeystream) {
    const std::string keystream = SettingsCodec(std::string(32, '\0'), "\x01\x02\x03\x04\x05");
    EXPECT_EQ(Hex(keystream.substr(0, 16)), "b2396305f03dc027ccc3524a0a1118a8");
    EXPECT_EQ(Hex(keystream.substr(16, 16)), "6982944f18fc82d589c403a47a0d0919");
}

TEST(SettingsCodec, SameCallEnciphersAndDeciphers) {
    const std::string plain = "127.0.0.1|3389|" + kAdministrators + "||\r\n";
    const std::string enciphered = SettingsCodec(plain, kSettingsKey);
    EXPECT_EQ(enciphered.size(), plain.size());
    EXPECT_NE(enciphered, plain);
    EXPECT_EQ(SettingsCodec(enciphered, kSettingsKey), plain);
    EXPECT_EQ(SettingsCodec("", kSettingsKey), "");
}

// tests/data/ms.ini was enciphered by tests/data/make_ms_ini.py, an RC4 of its own.
TEST(SettingsFile, ReadsAFileEncipheredElsewhere) {
    const std::string fixture = std::string(KESTRUNE_TEST_DATA) + "/ms.ini";
    const std::string text = LoadSettings(fixture);
    EXPECT_EQ(text, "192.168.1.10|3389|Administrator|s3cret|" + kMachineRoomOne + "\r\n" +
                        "10.0.0.7|13389|" + kAdministrators + "|" + kEastGate + "|" + kLineOne +
                        "\n" + kLineTwo + "\r\n" +
                        "db.example.test|3389|||\r\n#onsole:1\r\n#Start:1\r\n#LoadinPass:<" +
                        kOpenSesame + ">\r\n");

    ServerList list;
    LaunchOptionValues options;
    ParseSettings(text, list, options);
    EXPECT_EQ(
        list.Entries(),
        (std::vector<ServerEntry>{
            Entry("192.168.1.10", "3389", "Administrator", "s3cret", kMachineRoomOne),
            Entry("10.0.0.7", "13389", kAdministrators, kEastGate, kLineOne + "\r\n" + kLineTwo),
            Entry("db.example.test", "3389", "", "", "")}));
    EXPECT_EQ(Of(options), (Options{true, false, false, true}));
    const std::string password = ExtractBetween(text, kPasswordOpen, kPasswordClose);
    EXPECT_EQ(password, kOpenSesame);

    // Nothing changed in the run: the file is written back byte for byte.
    ASSERT_TRUE(SaveSettings("ms.ini", list, options, password));
    EXPECT_EQ(ReadWholeFile("ms.ini"), ReadWholeFile(fixture));
}

TEST(SettingsFile, LoadGivesTheTextUpToTheFirstZeroByte) {
    EXPECT_EQ(LoadSettings("ms.ini"), "");  // absent

    WriteFile("ms.ini", "");
    EXPECT_EQ(LoadSettings("ms.ini"), "");

    WriteFile("ms.ini", SettingsCodec("#Start:1\r\n\0#admin:1\r\n"s, "8406"));
    EXPECT_EQ(LoadSettings("ms.ini"), "#Start:1\r\n");

    WriteFile("ms.ini", SettingsCodec("\0abc"s, "8406"));
    EXPECT_EQ(LoadSettings("ms.ini"), "");

    fs::remove("ms.ini");
    fs::create_directory("ms.ini");
    EXPECT_EQ(LoadSettings("ms.ini"), "");
}

struct ExtractCase {
    std::string text;
    std::string expected;
};

TEST(SettingsFile, ExtractBetween) {
    const std::vector<ExtractCase> cases = {
        {"#Start:0\r\n#LoadinPass:<pw>\r\n", "pw"},
        {"#LoadinPass:<>\r\n", ""},
        {"#Start:0\r\n", ""},
        {"", ""},
        {"#LoadinPass:<pw", ""},
        {"#LoadinPass:<a>\r\n#LoadinPass:<b>\r\n", "a||b"},
        {"#LoadinPass:<a>\r\n#LoadinPass:<>\r\n#LoadinPass:<c>", "a||||c"},
        // A later opening marker without its closing one discards what was found before.
        {"#LoadinPass:<a>\r\n#LoadinPass:<b", ""},
        {"x>#LoadinPass:<a>b>", "a"},  // the first closing marker after the opening one
        {"#LoadinPass:<a|b>", "a|b"},
        {"#LoadinPass:<" + kOpenSesame + ">", kOpenSesame},
        // 0x81 0x23 is one character: the marker inside it does not count.
        {"\x81#LoadinPass:<a>", ""},
        {"#LoadinPass:<\x81>b>", "\x81>b"},
    };
    for (const ExtractCase& c : cases) {
        EXPECT_EQ(ExtractBetween(c.text, kPasswordOpen, kPasswordClose), c.expected)
            << "text \"" << c.text << "\"";
    }
    // Other markers, as the function takes any: a closing marker that starts inside the opening
    // one gives an empty piece, and the search goes on behind it.
    EXPECT_EQ(ExtractBetween("ab ab", "ab", "b"), "||");
    EXPECT_EQ(ExtractBetween("[x][y]", "[", "]"), "x||y");
    EXPECT_EQ(ExtractBetween("[x]", "[", ""), "");
    // A closing marker that ends in a lead byte: the search goes on at the character start
    // behind it, so an opening marker that is the second byte of that character is none.
    EXPECT_EQ(ExtractBetween("[x]\x81[y]\x81z", "[", "]\x81"), "x");
    EXPECT_EQ(ExtractBetween("[x]\x81z[y]\x81", "[", "]\x81"), "x||y");
}

struct ParseCase {
    std::string name;
    std::string text;
    std::vector<ServerEntry> entries;
    Options options;
    Options before = {};
};

TEST(SettingsFile, ParseSettings) {
    using E = std::vector<ServerEntry>;
    const Options none;
    const Options console{true, false, false, false};
    const Options admin{false, true, false, false};
    const Options r800{false, false, true, false};
    const Options r1024{false, false, false, true};
    const std::vector<ParseCase> cases = {
        {"empty text", "", E{}, none},
        {"two members", "a|b\r\n", E{}, none},
        {"three members", "a|b|c\r\n", E{Entry("a", "b", "c", "", "")}, none},
        {"four members", "a|b|c|d", E{Entry("a", "b", "c", "d", "")}, none},
        {"six members", "a|b|c|d|e|f|g\r\n", E{Entry("a", "b", "c", "d", "e")}, none},
        {"empty fields", "||||\r\n|||\r\n||\r\n",
         E{Entry("", "", "", "", ""), Entry("", "", "", "", "")}, none},
        {"empty password and remark after full ones", "a|1|u|p|r\r\nb|2|v||\r\n",
         E{Entry("a", "1", "u", "p", "r"), Entry("b", "2", "v", "", "")}, none},
        {"two-byte character ending in a bar", "h|1|\x96|x|\x96|\r\n",
         E{Entry("h", "1", "\x96|x", "\x96|", "")}, none},
        {"lone line feed in a remark", "h|1|u|p|a\nb\nc\r\n",
         E{Entry("h", "1", "u", "p", "a\r\nb\r\nc")}, none},
        {"lone line feed elsewhere stays", "h\n|1|u|p\n|r\r\n",
         E{Entry("h\n", "1", "u", "p\n", "r")}, none},
        {"line feed as second byte of a character", "h|1|u|p|\x81\nx\r\n",
         E{Entry("h", "1", "u", "p", "\x81\nx")}, none},
        {"empty lines", "\r\n\r\n", E{}, none},
        {"console", "#onsole:1\r\n", E{}, console},
        {"console off", "#onsole:0\r\n", E{}, none},
        {"console marker alone", "#onsole:", E{}, none},
        {"admin", "#admin:1\r\n", E{}, admin},
        {"admin marker alone", "#admin:\r\n", E{}, none},
        {"start 1", "#Start:1\r\n", E{}, r1024},
        {"start 0", "#Start:0\r\n", E{}, r800},
        {"start marker alone", "#Start:\r\n", E{}, r800},
        {"start other", "#Start:2\r\n", E{}, r800},
        {"later start overrides", "#Start:1\r\n#Start:0\r\n", E{}, r800},
        {"marker anywhere in the line, last byte decides", "x#admin:0 1\r\n", E{}, admin},
        {"only the first marker counts", "#admin:#onsole:1\r\n", E{}, console},
        {"console before start", "#Start:#onsole:0\r\n", E{}, none},
        {"server line with a marker is both", "h|1|#admin:|p|1\r\n",
         E{Entry("h", "1", "#admin:", "p", "1")}, admin},
        {"marker inside a character", "\x81#onsole:1\r\n", E{}, none},
        {"password line is no server line", "#LoadinPass:<a|b>\r\n", E{}, none},
        {"password line of three members", "#LoadinPass:<a|b|c>\r\n",
         E{Entry("#LoadinPass:<a", "b", "c>", "", "")}, none},
        {"never turns an option off", "#onsole:0\r\n#admin:\r\n", E{},
         Options{true, true, false, true}, Options{true, true, false, true}},
        {"last line without CR LF", "a|b|c\r\n#Start:1", E{Entry("a", "b", "c", "", "")}, r1024},
    };
    for (const ParseCase& c : cases) {
        const Parsed parsed = Parse(c.text, c.before);
        EXPECT_EQ(parsed.entries, c.entries) << c.name;
        EXPECT_EQ(parsed.options, c.options) << c.name;
    }
}

struct ComposeCase {
    std::string name;
    std::vector<ServerEntry> entries;
    Options options;
    std::string password;
    std::string expected;
};

TEST(SettingsFile, ComposeSettingsText) {
    using E = std::vector<ServerEntry>;
    const std::vector<ComposeCase> cases = {
        {"first run", E{}, Options{}, "", "#Start:0\r\n#LoadinPass:<>\r\n"},
        {"one server", E{Entry("127.0.0.1", "3389", "Administrator", "", "")}, Options{}, "",
         "127.0.0.1|3389|Administrator||\r\n#Start:0\r\n#LoadinPass:<>\r\n"},
        {"everything", E{Entry("a", "1", "u", "p", "r"), Entry("", "", "", "", "")},
         Options{true, true, false, true}, "pw",
         "a|1|u|p|r\r\n||||\r\n#onsole:1\r\n#admin:1\r\n#Start:1\r\n#LoadinPass:<pw>\r\n"},
        {"800x600", E{}, Options{false, true, true, false}, "",
         "#admin:1\r\n#Start:0\r\n#LoadinPass:<>\r\n"},
        {"line breaks in texts", E{Entry("h\r\n", "1", "u", "p", "one\r\ntwo\r\n")}, Options{}, "",
         "h\n|1|u|p|one\ntwo\n\r\n#Start:0\r\n#LoadinPass:<>\r\n"},
        {"status is not written", E{ServerEntry{"h", "1", "u", "p", "r", ServerStatus::Online}},
         Options{}, "", "h|1|u|p|r\r\n#Start:0\r\n#LoadinPass:<>\r\n"},
    };
    for (const ComposeCase& c : cases) {
        EXPECT_EQ(ComposeSettingsText(c.entries, Values(c.options), c.password), c.expected)
            << c.name;
    }
}

struct RoundTripCase {
    Options saved;
    Options loaded;
};

TEST(SettingsFile, SaveThenLoadGivesTheSameState) {
    const std::vector<ServerEntry> servers = {
        Entry("192.168.1.10", "3389", kAdministrators, "p#w>", kMachineRoomOne),
        Entry("h", "1", "", "", kLineOne + "\r\n" + kLineTwo + "\r\n\r\nend"),
        Entry("", "", "", "", ""),
        Entry("h2", "2", "u", kEastGate, ""),
    };
    const std::vector<RoundTripCase> cases = {
        {Options{}, Options{false, false, true, false}},
        {Options{false, false, true, false}, Options{false, false, true, false}},
        {Options{true, false, false, true}, Options{true, false, false, true}},
        {Options{false, true, true, false}, Options{false, true, true, false}},
        {Options{true, true, false, true}, Options{true, true, false, true}},
    };
    for (const RoundTripCase& c : cases) {
        ServerList list;
        for (ServerEntry e : servers) {
            e.status = ServerStatus::Offline;
            list.Append(e);
        }
        ASSERT_TRUE(SaveSettings("ms.ini", list, Values(c.saved), kOpenSesame));

        const std::string text = LoadSettings("ms.ini");
        EXPECT_EQ(ExtractBetween(text, kPasswordOpen, kPasswordClose), kOpenSesame);
        const Parsed parsed = Parse(text);
        EXPECT_EQ(parsed.entries, servers);
        EXPECT_EQ(parsed.options, c.loaded) << c.saved;
    }
}

TEST(SettingsFile, SaveIsOwnerOnlyAndFailsWhenItCannotWrite) {
    ServerList list;
    list.Append(Entry("h", "1", "u", "p", "r"));
    LaunchOptionValues options;
    ASSERT_TRUE(SaveSettings("ms.ini", list, options, ""));
    struct stat st {};
    ASSERT_EQ(::stat("ms.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    fs::remove("ms.ini");
    fs::create_directory("ms.ini");
    EXPECT_FALSE(SaveSettings("ms.ini", list, options, ""));
    EXPECT_TRUE(fs::is_directory("ms.ini"));
    EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"ms.ini"});
}

}  // namespace
}  // namespace kestrune
