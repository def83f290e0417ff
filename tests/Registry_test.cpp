#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/Isolation.h"

namespace kestrune {
namespace {

const std::string kDword76("\x4C\x00\x00\x00", 4);

std::string StorePath() {
    return testing::TestRoot() + "/config/kestrune/registry";
}

// Every path under the test's folder, so that a test can see that nothing else was made.
std::set<std::string> AllPaths() {
    std::set<std::string> paths;
    for (const auto& e : std::filesystem::recursive_directory_iterator(testing::TestRoot())) {
        paths.insert(e.path().string());
    }
    return paths;
}

std::optional<RegistryValue> Query(const std::string& key, const std::string& name) {
    auto k = RegistryKey::Open(key, RegistryAccess::Read);
    return k ? k->QueryValue(name) : std::nullopt;
}

TEST(Registry, CreateMakesEveryKeyOnThePath) {
    EXPECT_FALSE(RegistryKey::Open("Software\\A", RegistryAccess::Read));
    auto key = RegistryKey::Create("Software\\A\\B");
    ASSERT_TRUE(key);
    for (const char* path : {"Software", "Software\\A", "Software\\A\\B", "software\\a\\b"}) {
        EXPECT_TRUE(RegistryKey::Open(path, RegistryAccess::Read)) << path;
    }
    EXPECT_FALSE(RegistryKey::Open("Software\\A\\B\\C", RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open("Software\\B", RegistryAccess::Read));
    // Creating again opens the same key, whatever the case of its names.
    ASSERT_TRUE(RegistryKey::Create("SOFTWARE\\a\\b\\C"));
    EXPECT_TRUE(RegistryKey::Open("Software\\A\\B\\c", RegistryAccess::Write));
    struct stat st {};
    ASSERT_EQ(::stat(StorePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Registry, ValuesKeepTypeAndDataAndNameCase) {
    auto key = RegistryKey::Create("K");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetDword("Host", 76));
    ASSERT_TRUE(key->SetValue("", RegistryType::String, std::string("def\0", 4)));
    ASSERT_TRUE(key->SetValue("bin", RegistryType::Binary, std::string("\x00\xFF", 2)));
    key->Close();
    EXPECT_FALSE(key->QueryValue("Host"));  // closed

    const auto host = Query("k", "HOST");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->type, 4u);
    EXPECT_EQ(host->data, kDword76);
    EXPECT_EQ(Query("K", "")->data, std::string("def\0", 4));
    EXPECT_EQ(Query("K", "bin")->type, 3u);
    EXPECT_FALSE(Query("K", "absent"));

    auto writer = RegistryKey::Open("K", RegistryAccess::Write);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->SetDword("host", 5));  // replaces the value named Host
    EXPECT_EQ(Query("K", "Host")->data, std::string("\x05\x00\x00\x00", 4));
}

TEST(Registry, AccessIsWhatTheKeyWasOpenedFor) {
    ASSERT_TRUE(RegistryKey::Create("K"));
    auto reader = RegistryKey::Open("K", RegistryAccess::Read);
    auto writer = RegistryKey::Open("K", RegistryAccess::Write);
    ASSERT_TRUE(reader && writer);
    EXPECT_FALSE(reader->SetDword("v", 1));
    EXPECT_TRUE(writer->SetDword("v", 1));
    EXPECT_FALSE(writer->QueryValue("v"));
    EXPECT_TRUE(reader->QueryValue("v"));
}

TEST(Registry, NamesAreDataNeverFilePaths) {
    const auto before = AllPaths();
    const std::string names[] = {
        "..\\..\\x", "a/b", "/etc/passwd", "..", ".", "../../../escape", "k\\..\\..\\..\\..\\tmp"};
    for (const auto& name : names) {
        auto key = RegistryKey::Create("LocalDevices\\" + name);
        ASSERT_TRUE(key) << name;
        ASSERT_TRUE(key->SetDword(name, 76)) << name;
    }
    for (const auto& name : names) {
        EXPECT_EQ(Query("LocalDevices\\" + name, name)->data, kDword76) << name;
    }
    // "a/b" is one name; ".." names a key like any other.
    EXPECT_FALSE(RegistryKey::Open("LocalDevices\\a", RegistryAccess::Read));
    EXPECT_TRUE(RegistryKey::Open("LocalDevices\\..", RegistryAccess::Read));
    auto after = AllPaths();
    for (const auto& p : before) {
        after.erase(p);
    }
    const std::string folder = testing::TestRoot() + "/config/kestrune";
    EXPECT_EQ(after,
              (std::set<std::string>{folder, folder + "/registry", folder + "/registry.lock"}));
}

TEST(Registry, KeyPathsStepOverTwoByteCharacters) {
    // 5C is the second byte of the character 81 5C, not a separator; the second byte 41 ("A") is
    // not folded to lowercase.
    const std::string path = "K\\\x81\\";
    auto key = RegistryKey::Create(path);
    ASSERT_TRUE(key);
    EXPECT_TRUE(RegistryKey::Open(path, RegistryAccess::Read));
    EXPECT_FALSE(RegistryKey::Open("K\\\x81", RegistryAccess::Read));
    ASSERT_TRUE(key->SetDword("\x81\x41", 1));
    EXPECT_TRUE(Query(path, "\x81\x41"));
    EXPECT_FALSE(Query(path, "\x81\x61"));
}

TEST(Registry, EmptyNamesInAKeyPathAreRefused) {
    for (const char* path : {"", "\\K", "K\\", "K\\\\L"}) {
        EXPECT_FALSE(RegistryKey::Create(path)) << path;
        EXPECT_FALSE(RegistryKey::Open(path, RegistryAccess::Read)) << path;
    }
}

TEST(Registry, DamagedStoreIsNeitherUsedNorReplaced) {
    {
        auto key = RegistryKey::Create("Software\\K");
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->SetDword("one", 1));
        ASSERT_TRUE(key->SetValue("two", RegistryType::String, "text"));
    }
    const auto good = ReadWholeFile(StorePath());
    ASSERT_TRUE(good);
    std::vector<std::string> damaged = {
        "",
        "KRG\x02" + good->substr(4),
        good->substr(0, good->size() - 1),
        *good + "x",
        std::string("KRG\x01\xFF\xFF\xFF\xFF", 8),                    // a length past the end
        std::string("KRG\x01\x01\x00\x00\x00K\xFF\xFF\xFF\x7F", 13),  // a huge count
        std::string("KRG\x01\x00\x00\x00\x00\x00\x00\x00\x00", 12),   // an empty key path
    };
    for (std::size_t n = 5; n < good->size(); n += 3) {
        damaged.push_back(good->substr(0, n));
    }
    for (const auto& bytes : damaged) {
        ASSERT_TRUE(ReplaceFileAtomically(StorePath(), bytes));
        // Whatever a cut happens to leave readable, nothing reads past the end and nothing
        // replaces a file that does not read whole.
        if (!RegistryKey::Open("Software", RegistryAccess::Read)) {
            EXPECT_FALSE(RegistryKey::Create("New"));
            EXPECT_EQ(ReadWholeFile(StorePath()), bytes);
        }
    }
    ASSERT_TRUE(ReplaceFileAtomically(StorePath(), good->substr(0, good->size() - 1)));
    EXPECT_FALSE(RegistryKey::Open("Software\\K", RegistryAccess::Read));
    ASSERT_EQ(::unlink(StorePath().c_str()), 0);
    ASSERT_EQ(::mkdir(StorePath().c_str(), 0700), 0);  // a folder in place of the file
    EXPECT_FALSE(RegistryKey::Create("New"));
}

TEST(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kChildren = 4, kValues = 10;
    ASSERT_TRUE(RegistryKey::Create("K"));
    pid_t children[kChildren];
    for (int c = 0; c < kChildren; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            auto key = RegistryKey::Open("K", RegistryAccess::Write);
            bool ok = key.has_value();
            for (int v = 0; ok && v < kValues; ++v) {
                ok = key->SetDword(std::to_string(c) + "-" + std::to_string(v), 1);
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < kChildren; ++c) {
        for (int v = 0; v < kValues; ++v) {
            EXPECT_TRUE(Query("K", std::to_string(c) + "-" + std::to_string(v)));
        }
    }
}

}  // namespace
}  // namespace kestrune
