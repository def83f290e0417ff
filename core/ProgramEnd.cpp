#include "core/ProgramEnd.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <utility>

namespace kestrune {

namespace {
std::mutex cleanupMutex;
std::function<void()> exitCleanup;
}  // namespace

void RegisterExitCleanup(std::function<void()> cleanup) {
    std::lock_guard lock(cleanupMutex);
    exitCleanup = std::move(cleanup);
}

void EndProgram(int exitCode) {
    std::function<void()> cleanup;
    {
        std::lock_guard lock(cleanupMutex);
        cleanup = std::exchange(exitCleanup, nullptr);
    }
    if (cleanup) {
        cleanup();
    }
    std::fflush(nullptr);
    ::_exit(exitCode);
}

}  // namespace kestrune
