#include <gtest/gtest.h>

#include "core/ServerList.h"

namespace kestrune {
namespace {

TEST(ServerList, StartsEmpty) {
    EXPECT_EQ(ServerList().Count(), 0);
}

}  // namespace
}  // namespace kestrune
