#include "views/WindowTiling.h"

std::vector<QRect> TileHorizontally(const QRect& area, int count)
{
    std::vector<QRect> places;
    if (count <= 0)
        return places;
    const int base = area.height() / count;
    const int extra = area.height() % count;
    int top = area.top();
    for (int i = 0; i < count; ++i) {
        const int height = base + (i < extra ? 1 : 0);
        places.emplace_back(area.left(), top, area.width(), height);
        top += height;
    }
    return places;
}
