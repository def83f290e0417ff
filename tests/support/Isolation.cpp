#include "tests/support/Isolation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kestrune::testing {

namespace {

std::string root;

class IsolationListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { IsolateTest(); }
    // A failed test keeps its directory for a look; a passed one leaves nothing behind.
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (info.result() != nullptr && info.result()->Passed() && !root.empty() &&
            ::chdir("/") == 0) {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        }
    }
};

void MakeDirectory(const std::string& path) {
    std::filesystem::create_directories(path);
    ::chmod(path.c_str(), 0700);
}

}  // namespace

std::string IsolateTest() {
    const char* base = std::getenv("KESTRUNE_TEST_BASE");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/kestrune-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    root = pattern;
    for (const char* sub : {"/work", "/config", "/runtime", "/tmp"}) {
        MakeDirectory(root + sub);
    }
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    ::setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    if (::chdir((root + "/work").c_str()) != 0) {
        std::abort();
    }
    return root;
}

const std::string& TestRoot() {
    return root;
}

void InstallIsolation() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new IsolationListener);
}

}  // namespace kestrune::testing
