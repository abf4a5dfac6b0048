#include "decode/OcrCells.h"

#include <algorithm>
#include <cmath>

namespace decode::ocr {

namespace {

bool Recompute(CharacterCell& cell, const std::vector<int>& labels, int width)
{
    cell.Left = cell.To;
    cell.Right = cell.From;
    cell.Top = 1 << 30;
    cell.Bottom = -1;
    const int height = static_cast<int>(labels.size()) / std::max(width, 1);
    for (int y = 0; y < height; ++y)
        for (int x = cell.From; x < cell.To; ++x) {
            const int label = labels[static_cast<size_t>(y) * width + x];
            if (!label || std::find(cell.Members.begin(), cell.Members.end(), label - 1) == cell.Members.end())
                continue;
            cell.Left = std::min(cell.Left, x);
            cell.Right = std::max(cell.Right, x + 1);
            cell.Top = std::min(cell.Top, y);
            cell.Bottom = std::max(cell.Bottom, y + 1);
        }
    return cell.Right > cell.Left && cell.Bottom > cell.Top;
}

} // namespace

std::vector<CharacterCell> CutCharacters(const InkMap& map, const std::vector<Component>& components,
                                         const std::vector<int>& labels, const TextLine& line, double groupWidth,
                                         double pitch, double widest)
{
    const auto tall = [&](int i) { return components[i].HeightPx() >= 0.6 * line.CharacterHeight; };
    const double oneCharacter = widest + 1.0;
    std::vector<CharacterCell> groups;
    std::vector<bool> groupTall;
    const std::vector<int>& members = line.Members;
    for (size_t k = 0; k < members.size(); ++k) {
        const int i = members[k];
        const Component& c = components[i];
        if (!groups.empty()) {
            CharacterCell& g = groups.back();
            const int left = std::min(g.From, c.Left), right = std::max(g.To, c.Right);
            bool join = right - left <= groupWidth;
            if (join && tall(i) && groupTall.back() && right - left > oneCharacter)
                join = false;
            if (join && !tall(i)) {
                // The next piece of full height: when it cannot join this
                // group and this piece lies nearer to it, it starts there.
                for (size_t n = k + 1; n < members.size(); ++n) {
                    const Component& t = components[members[n]];
                    if (!tall(members[n]))
                        continue;
                    const bool apart = std::max(right, t.Right) - left > groupWidth ||
                        (groupTall.back() && std::max(right, t.Right) - left > oneCharacter);
                    if (apart && std::max(c.Right, t.Right) - c.Left <= oneCharacter &&
                        t.Left - c.Right < c.Left - g.To)
                        join = false;
                    break;
                }
            }
            if (join) {
                g.Members.push_back(i);
                g.From = left;
                g.To = right;
                groupTall.back() = groupTall.back() || tall(i);
                continue;
            }
        }
        groups.push_back({{i}, c.Left, c.Right});
        groupTall.push_back(tall(i));
    }

    std::vector<CharacterCell> cells;
    for (CharacterCell& g : groups) {
        const int width = g.To - g.From;
        if (width <= groupWidth) {
            if (Recompute(g, labels, map.Width))
                cells.push_back(g);
            continue;
        }
        const int pieces = std::max(2, static_cast<int>(std::lround(width / pitch + 0.3)));
        std::vector<double> column(static_cast<size_t>(width), 0.0);
        for (int y = 0; y < map.Height; ++y)
            for (int x = g.From; x < g.To; ++x) {
                const int label = labels[static_cast<size_t>(y) * map.Width + x];
                if (label && std::find(g.Members.begin(), g.Members.end(), label - 1) != g.Members.end())
                    column[x - g.From] += map.At(x, y);
            }
        int from = g.From;
        for (int k = 1; k <= pieces; ++k) {
            int to = g.To;
            if (k < pieces) {
                const int expected = g.From + static_cast<int>(std::lround(k * width / static_cast<double>(pieces)));
                const int reach = std::max(1, static_cast<int>(std::lround(0.25 * pitch)));
                to = expected;
                for (int x = std::max(from + 1, expected - reach); x <= std::min(g.To - 1, expected + reach); ++x)
                    if (column[x - g.From] < column[to - g.From])
                        to = x;
            }
            CharacterCell piece{g.Members, from, to};
            if (Recompute(piece, labels, map.Width))
                cells.push_back(piece);
            from = to;
        }
    }
    return cells;
}

} // namespace decode::ocr
