#pragma once

#include <string>

namespace kestrune::testing {

// Gives the running test its own working directory, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and TMPDIR
// under a fresh directory; returns that directory.
std::string IsolateTest();

// The fresh directory of the running test.
const std::string& TestRoot();

// Installs IsolateTest for every test of the binary.
void InstallIsolation();

}  // namespace kestrune::testing
