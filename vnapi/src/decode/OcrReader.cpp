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
            cells = CutCharacters(map, components, labels, line, groupWidth, narrowestPitch, set.MaxWidth);
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
