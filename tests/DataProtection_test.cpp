#include "platform/DataProtection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/Isolation.h"

namespace kestrune {
namespace {

std::string KeyPath() {
    return testing::TestRoot() + "/config/kestrune/protection.key";
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(DataProtection, RoundTripsAnyBytes) {
    std::string data(512, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    for (const std::string& sample : {data, std::string(), std::string("x")}) {
        const auto blob = ProtectData(sample, u"psw");
        ASSERT_TRUE(blob);
        EXPECT_EQ(UnprotectData(*blob), sample);
    }
}

TEST(DataProtection, KeyIsMadeOnceOwnerOnly) {
    ASSERT_TRUE(ProtectData("a", u"psw"));
    EXPECT_EQ(ModeOf(testing::TestRoot() + "/config/kestrune"), 0700u);
    EXPECT_EQ(ModeOf(KeyPath()), 0600u);
    const auto key = ReadWholeFile(KeyPath());
    ASSERT_TRUE(key);
    EXPECT_EQ(key->size(), 32u);
    ASSERT_TRUE(ProtectData("b", u"psw"));
    EXPECT_EQ(ReadWholeFile(KeyPath()), key);
}

TEST(DataProtection, FallsBackToHomeWhenConfigHomeIsNotAbsolute) {
    const std::string home = testing::TestRoot() + "/home";
    ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    ASSERT_TRUE(ProtectData("a", u"psw"));
    EXPECT_EQ(ModeOf(home + "/.config/kestrune/protection.key"), 0600u);
}

TEST(DataProtection, EveryChangedByteFailsToUnprotect) {
    const auto blob = ProtectData("secret", u"psw");
    ASSERT_TRUE(blob);
    for (std::size_t i = 0; i < blob->size(); ++i) {
        std::string changed = *blob;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_FALSE(UnprotectData(changed)) << "byte " << i;
    }
    for (std::size_t n = 0; n < blob->size(); ++n) {
        EXPECT_FALSE(UnprotectData(blob->substr(0, n))) << "cut to " << n;
    }
    EXPECT_FALSE(UnprotectData(*blob + "x"));
}

TEST(DataProtection, AnotherUsersKeyCannotOpenTheBlob) {
    const auto blob = ProtectData("secret", u"psw");
    ASSERT_TRUE(blob);
    testing::IsolateTest();  // a fresh configuration folder, so a fresh key
    EXPECT_FALSE(UnprotectData(*blob));
}

TEST(DataProtection, DamagedKeyFileIsNeitherUsedNorReplaced) {
    ASSERT_TRUE(ProtectData("a", u"psw"));
    ASSERT_TRUE(ReplaceFileAtomically(KeyPath(), "short"));
    EXPECT_FALSE(ProtectData("a", u"psw"));
    EXPECT_EQ(ReadWholeFile(KeyPath()), "short");
}

TEST(DataProtection, ConcurrentFirstUseAgreesOnOneKey) {
    // Several processes race to make the key; every blob must open under the key that won.
    constexpr int kChildren = 6;
    const std::string blobs = testing::TestRoot() + "/blob";
    pid_t children[kChildren];
    for (int i = 0; i < kChildren; ++i) {
        children[i] = ::fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            const auto blob = ProtectData("shared", u"psw");
            const bool ok = blob && ReplaceFileAtomically(blobs + std::to_string(i), *blob);
            ::_exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int i = 0; i < kChildren; ++i) {
        const auto blob = ReadWholeFile(blobs + std::to_string(i));
        ASSERT_TRUE(blob);
        EXPECT_EQ(UnprotectData(*blob), "shared") << i;
    }
}

}  // namespace
}  // namespace kestrune
