#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/Isolation.h"

int main(int argc, char** argv) {
    // Windows are driven on the offscreen platform unless a test run asks for another.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    kestrune::testing::InstallIsolation();
    return RUN_ALL_TESTS();
}
