#include "platform/DescriptorLimit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace kestrune {
namespace {

TEST(DescriptorLimit, SoftLimitIsRaisedToTheHardLimit) {
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
    rlimit lowered = original;
    lowered.rlim_cur = original.rlim_max < 64 ? original.rlim_max : 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    EXPECT_TRUE(RaiseDescriptorLimit());
    rlimit raised{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &raised), 0);
    EXPECT_EQ(raised.rlim_cur, original.rlim_max);
    EXPECT_EQ(raised.rlim_max, original.rlim_max);

    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &original), 0);
}

}  // namespace
}  // namespace kestrune
