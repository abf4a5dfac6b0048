#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "vnapi/SaturatedCast.h"

TEST(SaturatedInt32, CutsTowardsZeroAndHoldsToTheRange)
{
    struct Case {
        double Value;
        int32_t Expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {2147483647.0, 2147483647},
        {2147483647.9, 2147483647},
        {2147483648.0, 2147483647}, // what the decode-window dialog can store as a float
        {1.0e20, 2147483647},
        {inf, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.9, -2147483647 - 1},
        {-2147483649.0, -2147483647 - 1},
        {-inf, -2147483647 - 1},
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SaturatedInt32(c.Value), c.Expected) << c.Value;
    EXPECT_EQ(SaturatedInt32(2147483648.0f), 2147483647);
    EXPECT_EQ(SaturatedInt32(2147483520.0f), 2147483520) << "the largest float below 2^31";
}
