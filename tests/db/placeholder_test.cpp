#include <gtest/gtest.h>
#include "db/status.h"
TEST(Status, FatalIsNegative) { EXPECT_LT(lug::db::kFatal, 0); }
