#include "decode/OcrReader.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>

#include "vnapi/MicrSymbols.h"

namespace decode {

namespace {

constexpr double MillimetresPerInch = 25.4;
// Paper and ink must differ by this many grey levels for a line to be read.
constexpr float MinContrast = 60.0f;
// How far (pixels, or a fraction of the pitch if more) a character's edges
// may lie from where its pitch puts them.
constexpr double OffPitchTolerancePx = 1.6;
constexpr double OffPitchTolerance = 0.1;
// Rows of print looked at in one window.
constexpr int MaxLines = 3;

using TemplateProvider = std::function<std::shared_ptr<const TemplateSet>(double dotsPerInch)>;

// ---- Ink map --------------------------------------------------------------

std::vector<float> BoxMean(const std::vector<float>& src, int w, int h, int r)
{
    std::vector<double> integral(static_cast<size_t>(w + 1) * (h + 1), 0.0);
    for (int y = 0; y < h; ++y) {
        double row = 0;
        for (int x = 0; x < w; ++x) {
            row += src[static_cast<size_t>(y) * w + x];
            integral[static_cast<size_t>(y + 1) * (w + 1) + x + 1] =
                integral[static_cast<size_t>(y) * (w + 1) + x + 1] + row;
        }
    }
    std::vector<float> out(src.size());
    for (int y = 0; y < h; ++y) {
        const int y0 = std::max(0, y - r), y1 = std::min(h, y + r + 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(0, x - r), x1 = std::min(w, x + r + 1);
            const double sum = integral[static_cast<size_t>(y1) * (w + 1) + x1] -
                integral[static_cast<size_t>(y0) * (w + 1) + x1] - integral[static_cast<size_t>(y1) * (w + 1) + x0] +
                integral[static_cast<size_t>(y0) * (w + 1) + x0];
            out[static_cast<size_t>(y) * w + x] = static_cast<float>(sum / ((y1 - y0) * (x1 - x0)));
        }
    }
    return out;
}

// Running maximum over 2r+1 samples along one direction.
void SlidingMaxLine(const float* in, float* out, int n, ptrdiff_t step, int r)
{
    std::deque<int> window;
    int next = 0;
    for (int i = 0; i < n; ++i) {
        for (; next < n && next <= i + r; ++next) {
            while (!window.empty() && in[window.back() * step] <= in[next * step])
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() < i - r)
            window.pop_front();
        out[i * step] = in[window.front() * step];
    }
}

std::vector<float> SlidingMax(const std::vector<float>& src, int w, int h, int r)
{
    std::vector<float> across(src.size()), out(src.size());
    for (int y = 0; y < h; ++y)
        SlidingMaxLine(src.data() + static_cast<size_t>(y) * w, across.data() + static_cast<size_t>(y) * w, w, 1, r);
    for (int x = 0; x < w; ++x)
        SlidingMaxLine(across.data() + x, out.data() + x, h, w, r);
    return out;
}

struct InkMap {
    int Width = 0;
    int Height = 0;
    std::vector<float> Ink; // 0 paper to 1 full ink
    float At(int x, int y) const { return Ink[static_cast<size_t>(y) * Width + x]; }
};

// Ink as the fraction of the way from the local paper level (a smoothed
// running maximum wider than any stroke) to the darkest ink of the window:
// paper tint and pattern fall well below one half.
bool MakeInkMap(const GreyImage& grey, double dotsPerMm, InkMap& map)
{
    const int w = grey.Width, h = grey.Height;
    if (w <= 0 || h <= 0)
        return false;
    std::vector<float> levels(grey.Pixels.begin(), grey.Pixels.end());
    const std::vector<float> smooth = BoxMean(levels, w, h, 1);
    const float dark = *std::min_element(smooth.begin(), smooth.end());
    const int radius = std::max(2, static_cast<int>(std::lround(1.3 * dotsPerMm)));
    const std::vector<float> paper = BoxMean(SlidingMax(smooth, w, h, radius), w, h, radius);

    std::vector<float> sample(paper);
    std::nth_element(sample.begin(), sample.begin() + sample.size() / 2, sample.end());
    if (sample[sample.size() / 2] - dark < MinContrast)
        return false;

    map.Width = w;
    map.Height = h;
    map.Ink.resize(levels.size());
    for (size_t i = 0; i < levels.size(); ++i) {
        const float contrast = paper[i] - dark;
        map.Ink[i] = contrast < MinContrast / 2 ? 0.0f : std::clamp((paper[i] - levels[i]) / contrast, 0.0f, 1.0f);
    }
    return true;
}

// ---- Connected components -------------------------------------------------

struct Component {
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // Right and Bottom exclusive
    int Area = 0;
    int WidthPx() const { return Right - Left; }
    int HeightPx() const { return Bottom - Top; }
    double CentreX() const { return (Left + Right) / 2.0; }
};

int FindRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

// 8-connected components of the ink above one half; labels hold index + 1.
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

// ---- The text line --------------------------------------------------------

struct Baseline {
    double Offset = 0; // y = Offset + Slope * x
    double Slope = 0;
    double At(double x) const { return Offset + Slope * x; }
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The baseline under a row of characters. Parts of symbols (the bars of the
// E13B symbols, '-', '+') end above it, so the fit keeps to the lower
// envelope of the bottoms: a median slope, the offset where most bottoms lie
// at or above, then a least-squares fit of the bottoms that end on it.
Baseline FitBaseline(const std::vector<Component>& components, const std::vector<int>& members, double tolerance)
{
    Baseline b;
    if (members.empty())
        return b;
    std::vector<double> slopes;
    for (size_t i = 0; i < members.size(); ++i)
        for (size_t j = i + 1; j < members.size(); ++j) {
            const Component& p = components[members[i]];
            const Component& q = components[members[j]];
            const double dx = q.CentreX() - p.CentreX();
            if (std::abs(dx) > 8 * tolerance)
                slopes.push_back((q.Bottom - p.Bottom) / dx);
        }
    b.Slope = std::clamp(Median(slopes), -0.05, 0.05); // a few degrees at most
    std::vector<double> residuals;
    for (int i : members)
        residuals.push_back(components[i].Bottom - b.Slope * components[i].CentreX());
    std::vector<double> sorted(residuals);
    std::sort(sorted.begin(), sorted.end());
    b.Offset = sorted[(sorted.size() * 3) / 4];

    double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
    for (size_t k = 0; k < members.size(); ++k) {
        if (std::abs(residuals[k] - b.Offset) > tolerance)
            continue;
        const double x = components[members[k]].CentreX(), y = components[members[k]].Bottom;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        ++n;
    }
    const double det = n * sxx - sx * sx;
    if (n >= 3 && det > 1e-9 * n * n) {
        const double slope = (n * sxy - sx * sy) / det;
        if (std::abs(slope) <= 0.05) {
            b.Slope = slope;
            b.Offset = (sy - slope * sx) / n;
        }
    }
    return b;
}

struct TextLine {
    Baseline Base;
    double CharacterHeight = 0;
    std::vector<int> Members; // components on the line, any size
};

// The row of character-sized components that most of those not yet taken
// share; they are marked taken.
bool FindTextLine(const std::vector<Component>& components, double referenceHeight, double widestPitch,
                  std::vector<bool>& taken, TextLine& line)
{
    const double h0 = referenceHeight;
    std::vector<int> tall;
    for (int i = 0; i < static_cast<int>(components.size()); ++i) {
        const Component& c = components[i];
        if (!taken[i] && c.HeightPx() >= 0.55 * h0 && c.HeightPx() <= 1.7 * h0 && c.WidthPx() <= 3.5 * widestPitch &&
            c.WidthPx() >= 0.08 * h0)
            tall.push_back(i);
    }
    if (tall.empty())
        return false;

    // The bottom that most character-sized components share; ties go to the
    // lowest line, where codelines are printed.
    const double tolerance = 0.3 * h0;
    int bestCount = 0;
    double bestBottom = 0;
    for (int i : tall) {
        const double bottom = components[i].Bottom;
        int count = 0;
        for (int j : tall)
            count += std::abs(components[j].Bottom - bottom) <= tolerance;
        if (count > bestCount || (count == bestCount && bottom > bestBottom)) {
            bestCount = count;
            bestBottom = bottom;
        }
    }
    std::vector<int> onLine;
    for (int j : tall)
        if (std::abs(components[j].Bottom - bestBottom) <= tolerance)
            onLine.push_back(j);
    // Refit along a slightly skewed line and collect again.
    const double fitTolerance = 0.1 * h0 + 1.0;
    for (int pass = 0; pass < 2; ++pass) {
        const Baseline b = FitBaseline(components, onLine, fitTolerance);
        std::vector<int> again;
        for (int j : tall)
            if (std::abs(components[j].Bottom - b.At(components[j].CentreX())) <= tolerance)
                again.push_back(j);
        if (again.empty())
            break;
        onLine = std::move(again);
    }
    line.Base = FitBaseline(components, onLine, fitTolerance);
    for (int j : onLine)
        taken[j] = true;
    std::vector<double> heights, all;
    for (int j : onLine) {
        all.push_back(components[j].HeightPx());
        if (std::abs(components[j].Bottom - line.Base.At(components[j].CentreX())) <= fitTolerance)
            heights.push_back(components[j].HeightPx());
    }
    line.CharacterHeight = Median(heights.empty() ? all : heights);

    // Everything of reasonable size inside the band of the line belongs to it
    // (symbols sit above the baseline, the small ones too).
    const double h = line.CharacterHeight;
    const double speck = std::max(1.5, 0.15 * h0);
    for (int i = 0; i < static_cast<int>(components.size()); ++i) {
        const Component& c = components[i];
        if (std::max(c.WidthPx(), c.HeightPx()) < speck || c.HeightPx() > 1.7 * h || c.WidthPx() > 4.5 * widestPitch)
            continue;
        const double base = line.Base.At(c.CentreX());
        const double bandTop = base - 1.35 * h, bandBottom = base + 0.35 * h;
        const double inside = std::min<double>(c.Bottom, bandBottom) - std::max<double>(c.Top, bandTop);
        if (inside >= 0.6 * c.HeightPx())
            line.Members.push_back(i);
    }
    std::sort(line.Members.begin(), line.Members.end(),
              [&](int a, int b) { return components[a].Left < components[b].Left; });
    return !line.Members.empty();
}

// ---- Characters -----------------------------------------------------------

struct CharacterCell {
    std::vector<int> Members; // component indices
    int From = 0, To = 0;     // columns taken from the members
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

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

// Components whose union stays within one character's width are one
// character (broken strokes, the separate bars of the E13B symbols); a group
// wider than that is touching characters, cut at the pitch where the least
// ink is.
std::vector<CharacterCell> CutCharacters(const InkMap& map, const std::vector<Component>& components,
                                         const std::vector<int>& labels, const TextLine& line, double groupWidth,
                                         double pitch)
{
    std::vector<CharacterCell> groups;
    for (int i : line.Members) {
        const Component& c = components[i];
        if (!groups.empty()) {
            CharacterCell& g = groups.back();
            const int left = std::min(g.From, c.Left), right = std::max(g.To, c.Right);
            if (right - left <= groupWidth) {
                g.Members.push_back(i);
                g.From = left;
                g.To = right;
                continue;
            }
        }
        groups.push_back({{i}, c.Left, c.Right});
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

// The best placement of one template on one cell.
struct Match {
    double Score = -1;
};

// Correlation of one cell with every template: the cell's ink (other
// characters masked out) against the template placed on the baseline and
// centred on the cell, over the union of both boxes, best of small shifts.
std::vector<Match> ScoreCell(const InkMap& map, const std::vector<int>& labels, const CharacterCell& cell,
                             const Baseline& base, const TemplateSet& set, int shiftX, int shiftY, int context)
{
    const double centreX = (cell.Left + cell.Right) / 2.0;
    const double baseY = base.At(centreX);
    int minTop = 0, maxBottom = 0;
    for (const CharTemplate& t : set.Templates) {
        minTop = std::min(minTop, t.BoxTop);
        maxBottom = std::max(maxBottom, t.BoxTop + t.Height);
    }
    const int margin = context + 1;
    const int halfWidth = static_cast<int>(std::ceil(std::max<double>(set.MaxWidth, cell.Right - cell.Left) / 2.0));
    const int px0 = static_cast<int>(std::floor(centreX)) - halfWidth - shiftX - margin;
    const int px1 = static_cast<int>(std::ceil(centreX)) + halfWidth + shiftX + margin;
    const int py0 = std::min(cell.Top, static_cast<int>(std::floor(baseY)) + minTop) - shiftY - margin;
    const int py1 = std::max(cell.Bottom, static_cast<int>(std::ceil(baseY)) + maxBottom) + shiftY + margin;
    const int pw = px1 - px0, ph = py1 - py0;

    // The patch and its integrals of ink and squared ink.
    std::vector<float> patch(static_cast<size_t>(pw) * ph, 0.0f);
    for (int y = 0; y < ph; ++y) {
        const int sy = py0 + y;
        if (sy < 0 || sy >= map.Height)
            continue;
        for (int x = 0; x < pw; ++x) {
            const int sx = px0 + x;
            if (sx < 0 || sx >= map.Width)
                continue;
            const int label = labels[static_cast<size_t>(sy) * map.Width + sx];
            const bool ours = label
                ? (sx >= cell.From && sx < cell.To &&
                   std::find(cell.Members.begin(), cell.Members.end(), label - 1) != cell.Members.end())
                : true;
            if (ours)
                patch[static_cast<size_t>(y) * pw + x] = map.At(sx, sy);
        }
    }
    std::vector<double> s1(static_cast<size_t>(pw + 1) * (ph + 1), 0.0), s2(s1.size(), 0.0);
    for (int y = 0; y < ph; ++y) {
        double r1 = 0, r2 = 0;
        for (int x = 0; x < pw; ++x) {
            const double v = patch[static_cast<size_t>(y) * pw + x];
            r1 += v;
            r2 += v * v;
            s1[static_cast<size_t>(y + 1) * (pw + 1) + x + 1] = s1[static_cast<size_t>(y) * (pw + 1) + x + 1] + r1;
            s2[static_cast<size_t>(y + 1) * (pw + 1) + x + 1] = s2[static_cast<size_t>(y) * (pw + 1) + x + 1] + r2;
        }
    }
    const auto rectSum = [&](const std::vector<double>& s, int x0, int y0, int x1, int y1) {
        return s[static_cast<size_t>(y1) * (pw + 1) + x1] - s[static_cast<size_t>(y0) * (pw + 1) + x1] -
            s[static_cast<size_t>(y1) * (pw + 1) + x0] + s[static_cast<size_t>(y0) * (pw + 1) + x0];
    };

    std::vector<Match> scores(set.Templates.size());
    for (size_t ti = 0; ti < set.Templates.size(); ++ti) {
        const CharTemplate& t = set.Templates[ti];
        const int tx = static_cast<int>(std::lround(centreX - t.Width / 2.0)) - px0;
        const int ty = static_cast<int>(std::lround(baseY + t.BoxTop)) - py0;
        for (int dy = -shiftY; dy <= shiftY; ++dy) {
            for (int dx = -shiftX; dx <= shiftX; ++dx) {
                const int x0 = tx + dx, y0 = ty + dy;
                // Both boxes and a rim of paper around them: a thin stroke
                // correlates by its place, not only by its edges.
                const int fx0 = std::max(0, std::min(x0, cell.Left - px0) - context);
                const int fy0 = std::max(0, std::min(y0, cell.Top - py0) - context);
                const int fx1 = std::min(pw, std::max(x0 + t.Width, cell.Right - px0) + context);
                const int fy1 = std::min(ph, std::max(y0 + t.Height, cell.Bottom - py0) + context);
                const double n = static_cast<double>(fx1 - fx0) * (fy1 - fy0);
                if (n <= 0)
                    continue;
                const double sumP = rectSum(s1, fx0, fy0, fx1, fy1);
                const double sumPP = rectSum(s2, fx0, fy0, fx1, fy1);
                double sumPT = 0;
                for (int y = 0; y < t.Height; ++y) {
                    const int py = y0 + y;
                    if (py < 0 || py >= ph)
                        continue;
                    const float* prow = patch.data() + static_cast<size_t>(py) * pw;
                    const float* trow = t.Ink.data() + static_cast<size_t>(y) * t.Width;
                    for (int x = 0; x < t.Width; ++x) {
                        const int ppx = x0 + x;
                        if (ppx >= 0 && ppx < pw)
                            sumPT += prow[ppx] * trow[x];
                    }
                }
                const double cov = sumPT - sumP * t.Sum / n;
                const double varP = sumPP - sumP * sumP / n;
                const double varT = t.SumSquares - t.Sum * t.Sum / n;
                if (varP <= 1e-9 || varT <= 1e-9)
                    continue;
                const double score = cov / std::sqrt(varP * varT);
                scores[ti].Score = std::max(scores[ti].Score, score);
            }
        }
    }
    return scores;
}

OcrCharacter Decide(const std::vector<Match>& scores, const TemplateSet& set, const std::vector<bool>& fonts,
                    const OcrAcceptance& acceptance, size_t* bestTemplate)
{
    OcrCharacter result;
    double best = -2;
    size_t bestIndex = 0;
    for (size_t i = 0; i < scores.size(); ++i)
        if (fonts[set.Templates[i].FontIndex] && scores[i].Score > best) {
            best = scores[i].Score;
            bestIndex = i;
        }
    const char bestSymbol = best > -2 ? set.Templates[bestIndex].Symbol : 0;
    double second = -2;
    for (size_t i = 0; i < scores.size(); ++i)
        if (fonts[set.Templates[i].FontIndex] && set.Templates[i].Symbol != bestSymbol)
            second = std::max(second, scores[i].Score);
    result.BestSymbol = bestSymbol;
    result.Score = best;
    result.Margin = best - second;
    const bool e13b = bestSymbol && set.Fonts[set.Templates[bestIndex].FontIndex] == TemplateFont::E13b;
    const double minMargin = e13b ? acceptance.E13bMinMargin : acceptance.MinMargin;
    const bool accepted = bestSymbol && best >= acceptance.MinScore && result.Margin >= minMargin;
    result.Symbol = accepted ? bestSymbol : micr::Reject;
    if (bestTemplate)
        *bestTemplate = bestIndex;
    return result;
}

// A character must be the size of what it is read as: a character cut in
// half can correlate well with a narrower one.
bool SizeAgrees(const CharacterCell& cell, const CharTemplate& t)
{
    const int width = cell.Right - cell.Left, height = cell.Bottom - cell.Top;
    return std::abs(width - t.SolidWidth) <= std::max(2.5, 0.2 * t.SolidWidth) &&
        std::abs(height - t.SolidHeight) <= std::max(2.0, 0.1 * t.SolidHeight);
}

// Printed characters stand on the font's pitch: within a run of characters
// of one font, each read character's left and right edges must be where the
// character it was read as would have them on the grid the run shares (a
// median fit, so one stray character does not move it). A character cut
// short, or smudged wider, that happens to correlate with another character
// is in the wrong place for it and is rejected.
void RejectOffPitch(std::vector<OcrCharacter>& characters, const std::vector<size_t>& templateOf,
                    const std::vector<CharacterCell>& cells, const TemplateSet& set)
{
    const auto penFromLeft = [&](size_t i) {
        const CharTemplate& t = set.Templates[templateOf[i]];
        return static_cast<double>(cells[i].Left - (t.BoxLeft + t.SolidLeft));
    };
    const auto penFromRight = [&](size_t i) {
        const CharTemplate& t = set.Templates[templateOf[i]];
        return static_cast<double>(cells[i].Right - (t.BoxLeft + t.SolidLeft + t.SolidWidth));
    };
    std::vector<size_t> run;
    const auto check = [&] {
        if (run.size() < 3) {
            run.clear();
            return;
        }
        const double nominal = set.PitchPixels[set.Templates[templateOf[run.front()]].FontIndex];
        std::vector<double> pens;
        for (size_t i : run)
            pens.push_back((penFromLeft(i) + penFromRight(i)) / 2.0);
        std::vector<int> index{0};
        for (size_t k = 1; k < run.size(); ++k)
            index.push_back(index.back() +
                            std::max(1, static_cast<int>(std::lround((pens[k] - pens[k - 1]) / nominal))));
        std::vector<double> slopes;
        for (size_t a = 0; a < run.size(); ++a)
            for (size_t b = a + 1; b < run.size(); ++b)
                slopes.push_back((pens[b] - pens[a]) / (index[b] - index[a]));
        const double pitch = std::clamp(Median(slopes), 0.9 * nominal, 1.1 * nominal);
        std::vector<double> offsets;
        for (size_t k = 0; k < run.size(); ++k)
            offsets.push_back(pens[k] - index[k] * pitch);
        const double offset = Median(offsets);
        const double tolerance = std::max(OffPitchTolerancePx, OffPitchTolerance * pitch);
        for (size_t k = 0; k < run.size(); ++k) {
            const double grid = offset + index[k] * pitch;
            if (std::abs(penFromLeft(run[k]) - grid) > tolerance || std::abs(penFromRight(run[k]) - grid) > tolerance)
                characters[run[k]].Symbol = micr::Reject;
        }
        run.clear();
    };
    for (size_t i = 0; i < characters.size(); ++i) {
        if (characters[i].Symbol == micr::Reject)
            continue;
        if (!run.empty() && set.Templates[templateOf[run.back()]].FontIndex != set.Templates[templateOf[i]].FontIndex)
            check();
        run.push_back(i);
    }
    check();
}

struct Reading {
    std::string Text;
    std::vector<OcrCharacter> Characters;
    std::vector<size_t> TemplateOf; // best template of each character
    int Rejects = 0;
    double MeanScore = 0;
};

// Whether the columns [from, to) of a line hold a character too faint to
// have been cut out: a blob of weak ink (a third of the contrast or more) of
// a character's height or width. Tint, pattern and noise stay below that or
// stay in specks and threads.
bool HasFaintCharacter(const InkMap& map, const TextLine& line, double from, double to)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(from)));
    const int x1 = std::min(map.Width, static_cast<int>(std::ceil(to)));
    const double h = line.CharacterHeight;
    const double base = line.Base.At((from + to) / 2);
    const int y0 = std::max(0, static_cast<int>(base - 1.1 * h));
    const int y1 = std::min(map.Height, static_cast<int>(base + 0.1 * h) + 1);
    const int w = x1 - x0, ht = y1 - y0;
    if (w <= 0 || ht <= 0)
        return false;
    std::vector<uint8_t> weak(static_cast<size_t>(w) * ht);
    for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x)
            weak[static_cast<size_t>(y) * w + x] = map.At(x0 + x, y0 + y) >= 0.33f;
    std::vector<int> stack;
    for (int start = 0; start < w * ht; ++start) {
        if (!weak[start])
            continue;
        int area = 0, left = w, right = -1, top = ht, bottom = -1;
        weak[start] = 0;
        stack.assign(1, start);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % w, y = at / w;
            ++area;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < w && ny < ht && weak[static_cast<size_t>(ny) * w + nx]) {
                        weak[static_cast<size_t>(ny) * w + nx] = 0;
                        stack.push_back(ny * w + nx);
                    }
                }
        }
        const bool sized = bottom - top + 1 >= 0.35 * h || right - left + 1 >= 0.5 * w;
        if (sized && area >= 0.15 * (bottom - top + 1) * (right - left + 1) && area >= 0.04 * h * h)
            return true;
    }
    return false;
}

// faint(from, to): whether the columns hold ink too faint to be cut out as
// a character (a smudged or washed-out character), which is then reported as
// a reject rather than left out.
using FaintInk = std::function<bool(double from, double to)>;

Reading ReadCells(const std::vector<CharacterCell>& cells, const std::vector<std::vector<Match>>& scores,
                  const TemplateSet& set, const std::vector<bool>& fonts, const OcrAcceptance& acceptance,
                  const FaintInk& faint)
{
    Reading reading;
    for (size_t i = 0; i < cells.size(); ++i) {
        size_t best = 0;
        OcrCharacter c = Decide(scores[i], set, fonts, acceptance, &best);
        if (c.Symbol != micr::Reject && !SizeAgrees(cells[i], set.Templates[best]))
            c.Symbol = micr::Reject;
        c.Left = cells[i].Left;
        c.Right = cells[i].Right;
        reading.Characters.push_back(c);
        reading.TemplateOf.push_back(best);
    }
    RejectOffPitch(reading.Characters, reading.TemplateOf, cells, set);

    const auto pitchOf = [&](size_t i) { return set.PitchPixels[set.Templates[reading.TemplateOf[i]].FontIndex]; };
    const auto centreOf = [&](size_t i) { return (cells[i].Left + cells[i].Right) / 2.0; };
    // Faint characters just before the first and after the last one.
    const auto faintRun = [&](double from, double step) {
        std::string rejects;
        for (int k = 1; k <= 3 && faint(from + k * step - 0.4 * std::abs(step), from + k * step + 0.4 * std::abs(step));
             ++k)
            rejects += micr::Reject;
        return rejects;
    };
    if (!cells.empty())
        reading.Text = faintRun(centreOf(0), -pitchOf(0));
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            // A gap of more than a pitch and a half holds blanks, or faint
            // characters.
            const double p = (pitchOf(i) + pitchOf(i - 1)) / 2.0;
            const double distance = centreOf(i) - centreOf(i - 1);
            if (distance > 1.5 * p) {
                const long slots = std::max(1L, std::lround(distance / p) - 1);
                const double step = distance / static_cast<double>(slots + 1);
                for (long k = 1; k <= slots; ++k) {
                    const double at = centreOf(i - 1) + k * step;
                    reading.Text += faint(at - 0.4 * step, at + 0.4 * step) ? micr::Reject : ' ';
                }
            }
        }
        reading.Text += reading.Characters[i].Symbol;
        reading.MeanScore += reading.Characters[i].Score;
    }
    if (!cells.empty()) {
        const std::string after = faintRun(centreOf(cells.size() - 1), pitchOf(cells.size() - 1));
        reading.Text += after;
        reading.MeanScore /= static_cast<double>(cells.size());
        reading.Rejects = static_cast<int>(std::count(reading.Text.begin(), reading.Text.end(), micr::Reject));
    }
    return reading;
}

OcrLine Read(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
             const TemplateProvider& templatesAt, const OcrAcceptance& acceptance)
{
    OcrLine result;
    if (request.Fonts.empty() || !(dotsPerInch > 0))
        return result;
    const double dotsPerMm = dotsPerInch / MillimetresPerInch;
    InkMap map;
    if (!MakeInkMap(window, dotsPerMm, map))
        return result;
    std::vector<int> labels;
    const std::vector<Component> components = Label(map, labels);

    std::shared_ptr<const TemplateSet> nominal = templatesAt(dotsPerInch);
    if (!nominal || nominal->Empty())
        return result;
    double lowRef = 1e9, highRef = 0, widestPitch = 0;
    for (size_t f = 0; f < nominal->Fonts.size(); ++f) {
        if (nominal->FontReferenceHeight[f] > 0) {
            lowRef = std::min(lowRef, nominal->FontReferenceHeight[f]);
            highRef = std::max(highRef, nominal->FontReferenceHeight[f]);
        }
        widestPitch = std::max(widestPitch, nominal->PitchPixels[f]);
    }
    if (highRef <= 0)
        return result;
    // A window may hold more than one row of print (an E13B codeline under
    // an OCR line): the rows with most characters are read, and the one that
    // reads best in the fonts asked for is the answer.
    std::vector<bool> taken(components.size(), false);
    std::vector<TextLine> lines;
    for (int k = 0; k < MaxLines; ++k) {
        TextLine line;
        if (!FindTextLine(components, (lowRef + highRef) / 2.0, widestPitch, taken, line))
            break;
        lines.push_back(std::move(line));
    }

    const int shiftX = std::max(1, static_cast<int>(std::lround(0.15 * dotsPerMm)));
    const int shiftY = std::max(2, static_cast<int>(std::lround(0.3 * dotsPerMm)));
    const auto readLine = [&](const TextLine& line) {
        const int context = std::max(2, static_cast<int>(std::lround(0.12 * line.CharacterHeight)));
        const FaintInk faint = [&](double from, double to) { return HasFaintCharacter(map, line, from, to); };
        const auto readWith = [&](const TemplateSet& set, double scale, std::vector<CharacterCell>& cells) {
            double narrowestPitch = 1e9;
            for (double p : set.PitchPixels)
                narrowestPitch = std::min(narrowestPitch, p);
            const double groupWidth = std::max(0.85 * widestPitch * scale, 1.1 * set.MaxWidth);
            cells = CutCharacters(map, components, labels, line, groupWidth, narrowestPitch);
            std::vector<std::vector<Match>> scores;
            scores.reserve(cells.size());
            for (const CharacterCell& cell : cells)
                scores.push_back(ScoreCell(map, labels, cell, line.Base, set, shiftX, shiftY, context));
            if (request.FontSwitching || set.Fonts.size() == 1)
                return ReadCells(cells, scores, set, std::vector<bool>(set.Fonts.size(), true), acceptance, faint);
            // One font per line: the font that reads the line best.
            Reading chosen;
            for (size_t f = 0; f < set.Fonts.size(); ++f) {
                std::vector<bool> only(set.Fonts.size(), false);
                only[f] = true;
                Reading r = ReadCells(cells, scores, set, only, acceptance, faint);
                if (f == 0 || r.Rejects < chosen.Rejects ||
                    (r.Rejects == chosen.Rejects && r.MeanScore > chosen.MeanScore))
                    chosen = std::move(r);
            }
            return chosen;
        };

        std::vector<CharacterCell> cells;
        Reading reading = readWith(*nominal, 1.0, cells);

        // Print larger or smaller than nominal: the characters read give the
        // printed size (their height against their template's), and the line is
        // read again with templates rendered at that size, in steps of 2 %. When
        // nothing could be read, the height of the line says it.
        std::vector<double> ratios;
        for (size_t i = 0; i < reading.Characters.size(); ++i) {
            const CharTemplate& t = nominal->Templates[reading.TemplateOf[i]];
            if (reading.Characters[i].Symbol != micr::Reject && t.SolidHeight >= 0.5 * lowRef)
                ratios.push_back((cells[i].Bottom - cells[i].Top) / static_cast<double>(t.SolidHeight));
        }
        double scale = Median(ratios);
        if (ratios.empty())
            scale = line.CharacterHeight < lowRef ? line.CharacterHeight / lowRef
                : line.CharacterHeight > highRef  ? line.CharacterHeight / highRef
                                                  : 1.0;
        scale = std::clamp(std::round(scale * 50.0) / 50.0, 0.6, 1.6);
        if (std::abs(scale - 1.0) > 0.03) {
            const std::shared_ptr<const TemplateSet> scaled = templatesAt(dotsPerInch * scale);
            if (scaled && !scaled->Empty()) {
                std::vector<CharacterCell> scaledCells;
                Reading again = readWith(*scaled, scale, scaledCells);
                if (again.Rejects < reading.Rejects ||
                    (again.Rejects == reading.Rejects && again.MeanScore > reading.MeanScore))
                    reading = std::move(again);
            }
        }
        return reading;
    };

    Reading reading;
    int mostRead = -1;
    for (const TextLine& line : lines) {
        Reading r = readLine(line);
        const int read = static_cast<int>(r.Characters.size()) - r.Rejects;
        if (!r.Characters.empty() && (read > mostRead || (read == mostRead && r.Rejects < reading.Rejects))) {
            mostRead = read;
            reading = std::move(r);
        }
    }
    if (reading.Characters.empty())
        return result;
    result.Found = true;
    result.Text = std::move(reading.Text);
    result.Characters = std::move(reading.Characters);
    return result;
}

} // namespace

OcrLine ReadOcrLine(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
                    const OcrAcceptance& acceptance)
{
    const TemplateProvider cached = [&](double dpi) { return CachedTemplates(request.Fonts, dpi); };
    return Read(window, dotsPerInch, request, cached, acceptance);
}

OcrLine ReadOcrLine(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
                    const E13bGlyphSource& e13b, const OcrAcceptance& acceptance)
{
    const TemplateProvider built = [&](double dpi) {
        return std::make_shared<const TemplateSet>(BuildTemplates(request.Fonts, dpi, e13b));
    };
    return Read(window, dotsPerInch, request, built, acceptance);
}

} // namespace decode
