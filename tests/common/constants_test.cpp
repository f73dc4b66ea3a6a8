#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.h"

TEST(Constants, ProgramNameBuildAndLog2) {
  EXPECT_EQ(PROG_NAME, "venkari-basic");
  EXPECT_EQ(BUILD, "0.5-r123");
  EXPECT_DOUBLE_EQ(LOG_2, std::log(2.0));
}
