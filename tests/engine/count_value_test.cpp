#include "count_value.h"

#include <gtest/gtest.h>
TEST(CountValue, Empty) { EXPECT_EQ(dissim::CountValue().toInt32(), 0); }
