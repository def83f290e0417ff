#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/Isolation.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kOld = "old content\r\n";
const std::string kNew = "new\0content\xB1\xA1"s;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class FileSystem : public ::testing::Test {
protected:
    void TearDown() override { InjectFileFailureForTesting(FileStep::None); }
};

TEST_F(FileSystem, ReadWholeFile) {
    EXPECT_EQ(ReadWholeFile("absent"), std::nullopt);
    fs::create_directory("dir");
    EXPECT_EQ(ReadWholeFile("dir"), std::nullopt);
    WriteFile("empty", "");
    EXPECT_EQ(ReadWholeFile("empty"), "");
    // Larger than one read.
    std::string big(200000, 'x');
    big[0] = '\0';
    big.back() = '\xFF';
    WriteFile("big", big);
    EXPECT_EQ(ReadWholeFile("big"), big);
    fs::create_symlink("big", "link");
    EXPECT_EQ(ReadWholeFile("link"), big);
}

// A settings file that is a FIFO (or a device) must not hang the start: it counts as unreadable.
// The test holds the FIFO's other end open, so a reader that waited for the end would hang; the
// guard only turns that hang into a failure, by letting go of the other end.
TEST_F(FileSystem, ReadWholeFileRefusesWhatIsNotARegularFile) {
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const int writer = ::open("fifo", O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    auto read = std::async(std::launch::async, [] { return ReadWholeFile("fifo"); });
    const bool ended = read.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    ::close(writer);
    EXPECT_TRUE(ended);
    EXPECT_EQ(read.get(), std::nullopt);
    EXPECT_EQ(ReadWholeFile("/dev/null"), std::nullopt);
}

TEST_F(FileSystem, ReplacesTheFileOwnerOnly) {
    WriteFile("ms.ini", kOld);
    ::chmod("ms.ini", 0644);
    // With a umask that would take the owner's write right, the file is still exactly 0600.
    const mode_t oldMask = ::umask(0277);
    const bool replaced = ReplaceFileAtomically("ms.ini", kNew);
    ::umask(oldMask);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(ReadWholeFile("ms.ini"), kNew);
    EXPECT_EQ(ModeOf("ms.ini"), 0600u);
    EXPECT_EQ(Names("."), std::vector<std::string>{"ms.ini"});

    // A file that did not exist is created.
    ASSERT_TRUE(ReplaceFileAtomically("new.ini", ""));
    EXPECT_EQ(ReadWholeFile("new.ini"), "");
    EXPECT_EQ(ModeOf("new.ini"), 0600u);
}

// A save that cannot complete leaves the previous file byte for byte and nothing else behind.
// The directory sync comes after the rename: there the new file is in place, but the result
// still says that its durability is not assured.
TEST_F(FileSystem, AFailedStepLeavesTheOldFileAndNoTemporary) {
    struct Case {
        FileStep step;
        std::string contentAfter;
    };
    for (const Case& c : {Case{FileStep::CreateTemporary, kOld}, Case{FileStep::Write, kOld},
                          Case{FileStep::Sync, kOld}, Case{FileStep::Rename, kOld},
                          Case{FileStep::SyncDirectory, kNew}}) {
        const std::string dir = "step" + std::to_string(static_cast<int>(c.step));
        fs::create_directory(dir);
        WriteFile(dir + "/ms.ini", kOld);
        InjectFileFailureForTesting(c.step);
        EXPECT_FALSE(ReplaceFileAtomically(dir + "/ms.ini", kNew)) << dir;
        InjectFileFailureForTesting(FileStep::None);
        EXPECT_EQ(ReadWholeFile(dir + "/ms.ini"), c.contentAfter) << dir;
        EXPECT_EQ(Names(dir), std::vector<std::string>{"ms.ini"}) << dir;
    }
}

TEST_F(FileSystem, ADirectoryInTheWayFailsAndIsLeftAlone) {
    fs::create_directory("ms.ini");
    WriteFile("ms.ini/inside", kOld);
    EXPECT_FALSE(ReplaceFileAtomically("ms.ini", kNew));
    EXPECT_EQ(ReadWholeFile("ms.ini/inside"), kOld);
    EXPECT_EQ(Names("."), std::vector<std::string>{"ms.ini"});
    EXPECT_EQ(Names("ms.ini"), std::vector<std::string>{"inside"});

    EXPECT_FALSE(ReplaceFileAtomically("no-such-dir/ms.ini", kNew));
}

// A symbolic link named ms.ini keeps pointing at the saved content: the file is replaced beside
// the link's final target, and the link itself stays a link.
TEST_F(FileSystem, ReplacesTheTargetOfASymbolicLink) {
    const std::string root = testing::TestRoot();
    fs::create_directories("real/sub");
    fs::create_directories(root + "/elsewhere");
    struct Case {
        std::string linkTarget;  // as stored in the link named ms.ini
        std::string finalFile;   // the file that must hold the content
    };
    const std::vector<Case> cases = {
        {"real/settings.ini", "real/settings.ini"},
        {root + "/elsewhere/settings.ini", root + "/elsewhere/settings.ini"},
        {"real/link-to-sub", "real/sub/settings.ini"},  // a chain, relative to each link
        {"real/missing.ini", "real/missing.ini"},       // a dangling link gets its file
    };
    fs::create_symlink("sub/settings.ini", "real/link-to-sub");
    for (const Case& c : cases) {
        fs::remove("ms.ini");
        if (c.linkTarget != "real/missing.ini") {
            WriteFile(c.finalFile, kOld);
        }
        fs::create_symlink(c.linkTarget, "ms.ini");

        ASSERT_TRUE(ReplaceFileAtomically("ms.ini", kNew)) << c.linkTarget;
        EXPECT_TRUE(fs::is_symlink("ms.ini")) << c.linkTarget;
        EXPECT_EQ(fs::read_symlink("ms.ini").string(), c.linkTarget);
        EXPECT_EQ(ReadWholeFile("ms.ini"), kNew) << c.linkTarget;
        EXPECT_EQ(ReadWholeFile(c.finalFile), kNew) << c.linkTarget;
        EXPECT_EQ(ModeOf(c.finalFile), 0600u) << c.linkTarget;
    }
    EXPECT_EQ(Names("."), (std::vector<std::string>{"ms.ini", "real"}));
    EXPECT_EQ(Names("real"),
              (std::vector<std::string>{"link-to-sub", "missing.ini", "settings.ini", "sub"}));
    EXPECT_EQ(Names("real/sub"), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(Names(root + "/elsewhere"), std::vector<std::string>{"settings.ini"});
}

TEST_F(FileSystem, ALoopOfLinksFailsAndStaysALoop) {
    fs::create_symlink("b.ini", "ms.ini");
    fs::create_symlink("ms.ini", "b.ini");
    EXPECT_FALSE(ReplaceFileAtomically("ms.ini", kNew));
    EXPECT_TRUE(fs::is_symlink("ms.ini"));
    EXPECT_TRUE(fs::is_symlink("b.ini"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"b.ini", "ms.ini"}));
}

TEST_F(FileSystem, WritesANewFileOnlyWhereNoNameIsTaken) {
    const auto before = umask(0);
    EXPECT_EQ(WriteNewFile("new.tmp", kNew), NewFileResult::Written);
    umask(before);
    EXPECT_EQ(ReadWholeFile("new.tmp"), kNew);
    EXPECT_EQ(ModeOf("new.tmp"), 0600u);

    // Whatever takes the name stays as it was: a file, a directory, a link to a file, a dangling
    // link.
    WriteFile("victim", kOld);
    fs::create_directory("dir.tmp");
    fs::create_symlink("victim", "link.tmp");
    fs::create_symlink("absent", "dangling.tmp");
    for (const char* taken : {"new.tmp", "dir.tmp", "link.tmp", "dangling.tmp"}) {
        EXPECT_EQ(WriteNewFile(taken, "other"), NewFileResult::Taken) << taken;
    }
    EXPECT_EQ(ReadWholeFile("new.tmp"), kNew);
    EXPECT_EQ(ReadWholeFile("victim"), kOld);
    EXPECT_FALSE(fs::exists("absent"));

    EXPECT_EQ(WriteNewFile("no-such-dir/new.tmp", kNew), NewFileResult::Failed);
}

}  // namespace
}  // namespace kestrune
