#include <gtest/gtest.h>

#include "tests/support/Isolation.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrune::testing::InstallIsolation();
    return RUN_ALL_TESTS();
}
