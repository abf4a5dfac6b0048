// "&Tile": full-width windows one above the other.
#include <gtest/gtest.h>

#include "views/WindowTiling.h"

namespace {

struct TileCase {
    QRect Area;
    int Count;
    std::vector<QRect> Places;
};

TEST(WindowTiling, StacksFullWidthWindowsSharingTheHeight)
{
    const std::vector<TileCase> cases = {
        {QRect(0, 0, 800, 600), 1, {QRect(0, 0, 800, 600)}},
        {QRect(0, 0, 800, 600), 3, {QRect(0, 0, 800, 200), QRect(0, 200, 800, 200), QRect(0, 400, 800, 200)}},
        // One pixel left over goes to the first window, two to the first two.
        {QRect(0, 0, 800, 601), 3, {QRect(0, 0, 800, 201), QRect(0, 201, 800, 200), QRect(0, 401, 800, 200)}},
        {QRect(0, 0, 800, 602), 3, {QRect(0, 0, 800, 201), QRect(0, 201, 800, 201), QRect(0, 402, 800, 200)}},
        // An area away from the origin keeps its left edge and top.
        {QRect(10, 20, 300, 5), 2, {QRect(10, 20, 300, 3), QRect(10, 23, 300, 2)}},
        {QRect(0, 0, 800, 600), 0, {}},
        {QRect(0, 0, 800, 600), -1, {}},
    };
    for (const TileCase& c : cases)
        EXPECT_EQ(TileHorizontally(c.Area, c.Count), c.Places) << c.Count << " in height " << c.Area.height();
}

} // namespace
