#include "platform/TempFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/Isolation.h"

namespace kestrune {
namespace {

TEST(TempFiles, TemporaryDirectoryPrefersAUsableRuntimeDirectory) {
    const std::string root = testing::TestRoot();
    EXPECT_EQ(TemporaryDirectory(), root + "/runtime/");
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime/").c_str(), 1);
    EXPECT_EQ(TemporaryDirectory(), root + "/runtime/");
    std::ofstream(root + "/file") << "x";
    for (const std::string& unusable :
         {std::string("runtime"), std::string(), std::string("/nonexistent"), root + "/file"}) {
        ::setenv("XDG_RUNTIME_DIR", unusable.c_str(), 1);
        EXPECT_EQ(TemporaryDirectory(), root + "/tmp/") << unusable;
    }
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(TemporaryDirectory(), root + "/tmp/");
    ::setenv("TMPDIR", "relative", 1);
    EXPECT_EQ(TemporaryDirectory(), "/tmp/");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TemporaryDirectory(), "/tmp/");
}

TEST(TempFiles, AnyKindOfEntryTakesAName) {
    const std::string root = testing::TestRoot();
    std::ofstream(root + "/file") << "x";
    ASSERT_EQ(::symlink((root + "/nowhere").c_str(), (root + "/dangling").c_str()), 0);
    EXPECT_TRUE(PathExists(root + "/file"));
    EXPECT_TRUE(PathExists(root + "/tmp"));
    EXPECT_TRUE(PathExists(root + "/dangling"));
    EXPECT_FALSE(PathExists(root + "/nowhere"));
}

}  // namespace
}  // namespace kestrune
