#include "platform/CommandLine.h"

#include <gtest/gtest.h>

using namespace reelkit;

TEST(SplitCommandLine, Smoke) {
    EXPECT_EQ(SplitCommandLine("prog a b"), (std::vector<std::string>{"a", "b"}));
}
