#include "decode/OcrComponents.h"

#include <algorithm>

namespace decode::ocr {

namespace {

int FindRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

} // namespace

std::vector<Component> Label(const InkMap& map, std::vector<int>& labels)
{
    const int w = map.Width, h = map.Height;
    labels.assign(static_cast<size_t>(w) * h, 0);
    std::vector<int> parent{0};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (map.At(x, y) < 0.5f)
                continue;
            int label = 0;
            const int neighbours[4][2] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
            for (const auto& d : neighbours) {
                const int nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= w)
                    continue;
                const int other = labels[static_cast<size_t>(ny) * w + nx];
                if (!other)
                    continue;
                if (!label) {
                    label = other;
                } else if (other != label) {
                    const int a = FindRoot(parent, label), b = FindRoot(parent, other);
                    if (a != b)
                        parent[std::max(a, b)] = std::min(a, b);
                }
            }
            if (!label) {
                label = static_cast<int>(parent.size());
                parent.push_back(label);
            }
            labels[static_cast<size_t>(y) * w + x] = label;
        }
    }
    std::vector<int> index(parent.size(), -1);
    std::vector<Component> components;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int& label = labels[static_cast<size_t>(y) * w + x];
            if (!label)
                continue;
            const int root = FindRoot(parent, label);
            if (index[root] < 0) {
                index[root] = static_cast<int>(components.size());
                components.push_back({x, y, x + 1, y + 1, 0});
            }
            Component& c = components[index[root]];
            c.Left = std::min(c.Left, x);
            c.Right = std::max(c.Right, x + 1);
            c.Top = std::min(c.Top, y);
            c.Bottom = std::max(c.Bottom, y + 1);
            ++c.Area;
            label = index[root] + 1;
        }
    }
    return components;
}

} // namespace decode::ocr
