#include "shell/CommandLineHelperUnit.h"

#include <gtest/gtest.h>

using namespace reelkit;

TEST(CommandLineHelper, Smoke) {
    TCommandLineHelper helper({"+b", "$FF"});
    EXPECT_EQ(helper.NextArgument(), "+b");
    EXPECT_EQ(helper.NextNumberArgument(), 255);
}
