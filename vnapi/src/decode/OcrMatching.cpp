#include "decode/OcrMatching.h"

#include <algorithm>
#include <cmath>

#include "vnapi/MicrSymbols.h"

namespace decode::ocr {

namespace {

// How far (pixels, or a fraction of the pitch if more) a character's edges
// may lie from where its pitch puts them.
constexpr double OffPitchTolerancePx = 1.6;
constexpr double OffPitchTolerance = 0.1;

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

} // namespace

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

bool HasFaintCharacter(const InkMap& map, const TextLine& line, double from, double to, float level, double height)
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
            weak[static_cast<size_t>(y) * w + x] = map.At(x0 + x, y0 + y) >= level;
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
        const bool sized = height > 0 ? bottom - top + 1 >= height * h
                                       : bottom - top + 1 >= 0.35 * h || right - left + 1 >= 0.5 * w;
        if (sized && area >= 0.15 * (bottom - top + 1) * (right - left + 1) && area >= 0.04 * h * h)
            return true;
    }
    return false;
}

Reading ReadCells(const std::vector<CharacterCell>& cells, const std::vector<std::vector<Match>>& scores,
                  const TemplateSet& set, const std::vector<bool>& fonts, const OcrAcceptance& acceptance,
                  const FaintInk& faint, const FaintInk& solid)
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
    // Beyond the first and the last character cut out, faint ink is as
    // likely a smudge or the edge of a stamp: only solid ink of a
    // character's height next to the line (a character run into a pen
    // stroke) stands for characters there.
    const auto solidRun = [&](double from, double step) {
        // Up to six slots outward, over one blank between groups; the run
        // ends at two empty slots.
        std::string run, blanks;
        for (int k = 1; k <= 6 && blanks.size() < 2; ++k) {
            const double at = from + k * step;
            if (solid(at - 0.4 * std::abs(step), at + 0.4 * std::abs(step))) {
                run += blanks + micr::Reject;
                blanks.clear();
            } else {
                blanks += ' ';
            }
        }
        return step < 0 ? std::string(run.rbegin(), run.rend()) : run;
    };
    if (!cells.empty())
        reading.Text = solidRun(centreOf(0), -pitchOf(0));
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
        reading.Text += solidRun(centreOf(cells.size() - 1), pitchOf(cells.size() - 1));
        reading.MeanScore /= static_cast<double>(cells.size());
        reading.Rejects = static_cast<int>(std::count(reading.Text.begin(), reading.Text.end(), micr::Reject));
    }
    return reading;
}

} // namespace decode::ocr
