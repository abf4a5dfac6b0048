#include "decode/OcrTextLine.h"

#include <algorithm>
#include <cmath>

namespace decode::ocr {

namespace {

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

} // namespace

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

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

} // namespace decode::ocr
