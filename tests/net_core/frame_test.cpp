#include "net/core/frame.h"

#include <gtest/gtest.h>

TEST(NetFrame, LoginPrefix) { EXPECT_TRUE(net::IsLoginFrame(net::kLoginStart)); }
