// Where "&Tile" puts the image windows: each as wide as the client area, one
// above the other, sharing its height in order.
#pragma once

#include <QRect>
#include <vector>

// count rectangles filling area from top to bottom; the first
// (height % count) windows are one pixel taller. None for count <= 0.
std::vector<QRect> TileHorizontally(const QRect& area, int count);
