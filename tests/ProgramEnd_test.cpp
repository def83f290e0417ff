#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/ProgramEnd.h"

namespace kestrune {
namespace {

struct TellsWhenDestroyed {
    ~TellsWhenDestroyed() { std::fputs("static destructor ran\n", stderr); }
};

[[noreturn]] void EndWithBufferedOutput() {
    static TellsWhenDestroyed tells;
    // Fully buffered: the text reaches the parent only if the end flushes it.
    static char buffer[BUFSIZ];
    std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
    RegisterExitCleanup([] { std::fputs("cleanup ran;", stderr); });
    std::fputs("buffered;", stderr);
    EndProgram(3);
}

// The clean-up runs, buffered output is flushed, and the process ends with the given code
// without running static destructors, which could race workers still running.
TEST(ProgramEnd, RunsTheCleanupFlushesAndSkipsStaticDestructors) {
    using ::testing::AllOf;
    using ::testing::HasSubstr;
    using ::testing::Not;
    EXPECT_EXIT(EndWithBufferedOutput(), ::testing::ExitedWithCode(3),
                AllOf(HasSubstr("buffered;cleanup ran;"), Not(HasSubstr("destructor"))));
}

}  // namespace
}  // namespace kestrune
