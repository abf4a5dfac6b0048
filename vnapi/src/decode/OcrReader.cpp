#include "decode/OcrReader.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "decode/OcrCells.h"
#include "decode/OcrComponents.h"
#include "decode/OcrInkMap.h"
#include "decode/OcrMatching.h"
#include "decode/OcrTextLine.h"
#include "vnapi/MicrSymbols.h"

namespace decode {

namespace {

using namespace ocr;

constexpr double MillimetresPerInch = 25.4;
// Rows of print looked at in one window.
constexpr int MaxLines = 3;

using TemplateProvider = std::function<std::shared_ptr<const TemplateSet>(double dotsPerInch)>;

OcrLine ReadAt(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
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
        const FaintInk solid = [&](double from, double to) {
            return HasFaintCharacter(map, line, from, to, 0.5f, 0.75);
        };
        const auto readWith = [&](const TemplateSet& set, double scale, std::vector<CharacterCell>& cells) {
            double narrowestPitch = 1e9;
            for (double p : set.PitchPixels)
                narrowestPitch = std::min(narrowestPitch, p);
            const double groupWidth = std::max(0.85 * widestPitch * scale, 1.1 * set.MaxWidth);
            int widestSolid = 0;
            for (const CharTemplate& t : set.Templates)
                widestSolid = std::max(widestSolid, t.SolidWidth);
            cells = CutCharacters(map, components, labels, line, groupWidth, narrowestPitch, widestSolid);
            std::vector<std::vector<Match>> scores;
            scores.reserve(cells.size());
            for (const CharacterCell& cell : cells)
                scores.push_back(ScoreCell(map, labels, cell, line.Base, set, shiftX, shiftY, context));
            if (request.FontSwitching || set.Fonts.size() == 1)
                return ReadCells(cells, scores, set, std::vector<bool>(set.Fonts.size(), true), acceptance, faint, solid);
            // One font per line: the font that reads the line best.
            Reading chosen;
            for (size_t f = 0; f < set.Fonts.size(); ++f) {
                std::vector<bool> only(set.Fonts.size(), false);
                only[f] = true;
                Reading r = ReadCells(cells, scores, set, only, acceptance, faint, solid);
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

// Heights of the character-sized blobs that recur most, tallest first: the
// letters and digits of a line, whatever the filler or symbols between them.
std::vector<double> RecurringHeights(const GreyImage& window)
{
    std::vector<double> result;
    InkMap map;
    // The paper level needs only a rough scale here.
    if (!MakeInkMap(window, 200 / MillimetresPerInch, map))
        return result;
    std::vector<int> labels;
    std::vector<int> heights;
    for (const Component& c : Label(map, labels))
        if (c.HeightPx() >= 6 && c.WidthPx() >= 2 && c.WidthPx() <= 2 * c.HeightPx())
            heights.push_back(c.HeightPx());
    std::sort(heights.begin(), heights.end());
    int most = 0;
    std::vector<std::pair<int, int>> counts; // height, blobs within 8 %
    for (int h : heights) {
        const auto lo = std::lower_bound(heights.begin(), heights.end(), static_cast<int>(std::floor(h * 0.92)));
        const auto hi = std::upper_bound(heights.begin(), heights.end(), static_cast<int>(std::ceil(h * 1.08)));
        counts.emplace_back(h, static_cast<int>(hi - lo));
        most = std::max(most, counts.back().second);
    }
    for (auto it = counts.rbegin(); it != counts.rend(); ++it)
        if (it->second >= std::max(3, most / 3) &&
            (result.empty() || it->first < 0.9 * result.back()) && result.size() < 3)
            result.push_back(it->first);
    return result;
}

bool Better(const OcrLine& a, const OcrLine& b)
{
    const auto read = [](const OcrLine& l) {
        return static_cast<int>(l.Text.size()) - 2 * static_cast<int>(std::count(l.Text.begin(), l.Text.end(), micr::Reject));
    };
    return a.Found && (!b.Found || read(a) > read(b));
}

// The resolution a scan says it has may be missing or wrong: when the line
// does not read cleanly at it, the heights of the line's own characters give
// the resolution (for each font, the printed height of its digits), from 85
// to 400 dots per inch, and the best reading is kept.
OcrLine Read(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
             const TemplateProvider& templatesAt, const OcrAcceptance& acceptance)
{
    OcrLine best = ReadAt(window, dotsPerInch, request, templatesAt, acceptance);
    if (!(dotsPerInch > 0) || (best.Found && best.Text.find(micr::Reject) == std::string::npos))
        return best;
    const std::shared_ptr<const TemplateSet> nominal = templatesAt(dotsPerInch);
    if (!nominal)
        return best;
    std::vector<double> tried{dotsPerInch};
    for (double height : RecurringHeights(window))
        for (size_t f = 0; f < nominal->Fonts.size(); ++f) {
            const double inches = nominal->FontReferenceHeight[f] / dotsPerInch;
            if (!(inches > 0))
                continue;
            const double dpi = std::round(height / inches);
            if (dpi < 85 || dpi > 400 ||
                std::any_of(tried.begin(), tried.end(), [&](double t) { return std::abs(dpi - t) < 0.04 * t; }))
                continue;
            tried.push_back(dpi);
            OcrLine again = ReadAt(window, dpi, request, templatesAt, acceptance);
            if (Better(again, best))
                best = std::move(again);
        }
    return best;
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
