#include "platform/ProcessStart.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/Isolation.h"
#include "tests/support/StandInClient.h"

namespace kestrune {
namespace {

using Words = std::vector<std::string>;

TEST(ProcessStart, SplitsByTheWindowsRules) {
    const struct {
        std::string line;
        Words words;
    } cases[] = {
        {"mstsc.exe /tmp/1a.tmp /console /w:1024 /h:768 ",
         {"mstsc.exe", "/tmp/1a.tmp", "/console", "/w:1024", "/h:768"}},
        {"", {}},
        {" \t ", {}},
        {"p", {"p"}},
        {"p  a\t\tb ", {"p", "a", "b"}},
        {R"(p "a b" c)", {"p", "a b", "c"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},
        {R"(p "")", {"p", ""}},
        {R"(p "a""b")", {"p", "a\"b"}},
        {R"(p a\b\\c)", {"p", R"(a\b\\c)"}},
        {R"(p a\\)", {"p", R"(a\\)"}},
        {R"(p \"a)", {"p", "\"a"}},
        {R"(p \\"a b")", {"p", R"(\a b)"}},
        {R"(p \\\"a)", {"p", R"(\"a)"}},
        {R"(p "unclosed b)", {"p", "unclosed b"}},
        // The program name: quotes group, backslashes are literal.
        {R"("/opt/my dir/p" x)", {"/opt/my dir/p", "x"}},
        {R"(C:\a\"b c" d)", {R"(C:\a\b c)", "d"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
    }
}

TEST(ProcessStart, QuotedWordsComeBackWhole) {
    const std::vector<std::string> words = {
        "plain",    "/tmp/a b/1.tmp", "",           "a\tb", "a\"b", R"(a\)",
        R"(a\ b\)", R"(\")",          R"(a\\"b c)", "\"",   " "};
    for (const auto& word : words) {
        const std::string quoted = QuoteCommandLineWord(word);
        EXPECT_EQ(SplitCommandLine("p " + quoted + " /console "), (Words{"p", word, "/console"}))
            << quoted;
    }
    EXPECT_EQ(QuoteCommandLineWord("/run/user/0/1a.tmp"), "/run/user/0/1a.tmp");
    EXPECT_EQ(QuoteCommandLineWord("/tmp/a b/1.tmp"), "\"/tmp/a b/1.tmp\"");
}

class ProcessStartFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::TestRoot();
        bin_ = root_ + "/bin";
        ASSERT_EQ(::mkdir(bin_.c_str(), 0700), 0);
    }
    void TearDown() override { ::unsetenv("KESTRUNE_STANDIN_MARK"); }

    void WriteFile(const std::string& path, const std::string& text, mode_t mode) {
        std::ofstream(path) << text;
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }

    testing::PathPrefix savedPath_{"/nonexistent"};  // PATH comes back after each test
    std::string root_;
    std::string bin_;
};

TEST_F(ProcessStartFixture, FindsProgramsOnlyInAbsolutePathDirectories) {
    WriteFile(bin_ + "/tool", "#!/bin/sh\n", 0755);
    WriteFile(bin_ + "/plain", "", 0644);                     // not executable
    ASSERT_EQ(::mkdir((bin_ + "/folder").c_str(), 0755), 0);  // not a file
    WriteFile(root_ + "/work/here", "#!/bin/sh\n", 0755);     // in the working directory
    ::setenv("PATH", ("::.:bin:../bin:" + bin_ + ":").c_str(), 1);
    EXPECT_EQ(FindProgram("tool"), bin_ + "/tool");
    EXPECT_EQ(FindProgram("plain"), "");
    EXPECT_EQ(FindProgram("folder"), "");
    EXPECT_EQ(FindProgram("here"), "");
    EXPECT_EQ(FindProgram("./here"), "./here");
    EXPECT_EQ(FindProgram(""), "");
}

TEST_F(ProcessStartFixture, ClientIsOwnProgramOnPathElseTheAdapter) {
    const std::string adapterDir = root_ + "/install";
    ASSERT_EQ(::mkdir(adapterDir.c_str(), 0700), 0);
    ::setenv("PATH", bin_.c_str(), 1);
    EXPECT_EQ(ResolveClientProgram(adapterDir), "");
    WriteFile(adapterDir + "/kestrune-rdp", "#!/bin/sh\n", 0755);
    EXPECT_EQ(ResolveClientProgram(adapterDir), adapterDir + "/kestrune-rdp");
    WriteFile(bin_ + "/MSTSC.EXE", "#!/bin/sh\n", 0755);  // not exactly the name
    EXPECT_EQ(ResolveClientProgram(adapterDir), adapterDir + "/kestrune-rdp");
    WriteFile(bin_ + "/mstsc.exe", "#!/bin/sh\n", 0755);
    EXPECT_EQ(ResolveClientProgram(adapterDir), bin_ + "/mstsc.exe");
}

TEST_F(ProcessStartFixture, StartsDetachedWithOurEnvironmentAndNoLeakedDescriptor) {
    const std::string record = root_ + "/record";
    testing::WriteStandIn(bin_, "mstsc.exe", record);
    const testing::PathPrefix path(bin_);
    ::setenv("KESTRUNE_STANDIN_MARK", "passed on", 1);
    // A descriptor opened without close-on-exec by code outside ours must not reach the client.
    const int leak = ::open((root_ + "/leak-marker").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(leak, 0);

    const StartResult result = StartProcess(R"(mstsc.exe "a b" \"q /console )");
    ::close(leak);
    EXPECT_EQ(result, StartResult::Started);
    // Nothing is left for us to reap: the client is not our child.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    ASSERT_TRUE(testing::WaitForPath(record));
    const auto r = testing::ReadRecord(record);
    EXPECT_EQ(r.args, (Words{"a b", "\"q", "/console"}));
    EXPECT_EQ(r.cwd, root_ + "/work");
    EXPECT_NE(r.environment.find("KESTRUNE_STANDIN_MARK=passed on\n"), std::string::npos);
    EXPECT_EQ(r.descriptors.find("leak-marker"), std::string::npos) << r.descriptors;
    // /proc/<pid>/stat: pid (comm) state ppid pgrp session ...
    std::istringstream fields(r.stat.substr(r.stat.rfind(')') + 2));
    std::string state;
    pid_t ppid = 0, pgrp = 0, session = 0;
    fields >> state >> ppid >> pgrp >> session;
    EXPECT_NE(ppid, ::getpid());
    EXPECT_NE(session, ::getsid(0));
}

TEST_F(ProcessStartFixture, ReportsWhatDidNotStart) {
    WriteFile(bin_ + "/garbage", "not a program\n", 0755);  // exec fails: ENOEXEC
    WriteFile(bin_ + "/broken", "#!/nonexistent/interpreter\n", 0755);
    ::setenv("PATH", bin_.c_str(), 1);
    EXPECT_EQ(StartProcess("garbage x"), StartResult::NotStarted);
    EXPECT_EQ(StartProcess("broken x"), StartResult::NotStarted);
    EXPECT_EQ(StartProcess("absent x"), StartResult::NotStarted);
    EXPECT_EQ(StartProcess("   "), StartResult::NotStarted);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace kestrune
