#include "micr/SignalPlots.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "micr/SignalBuffer.h"

namespace bench {

namespace {

int32_t RoundUpToFour(size_t value)
{
    return static_cast<int32_t>((value + 3) / 4 * 4);
}

// The font, rows from the top; '#' is a pixel. Digits 5 x 9 ('1' 3 wide),
// capitals 9 high, lower case 6 high except d, i and t.
struct Glyph {
    char Character;
    const char* Rows[9];
};

// clang-format off
constexpr Glyph Font[] = {
    {'0', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'1', {".#.", "##.", ".#.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'2', {".###.", "#...#", "....#", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'3', {".###.", "#...#", "....#", "....#", "..##.", "....#", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#..#.", "#####", "...#.", "...#.", "...#."}},
    {'5', {"#####", "#....", "#....", "####.", "....#", "....#", "....#", "#...#", ".###."}},
    {'6', {".###.", "#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "....#", "...#.", "..#..", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", "#...#", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", "#...#", ".####", "....#", "....#", "....#", ".###."}},
    {'.', {"#"}},
    {'=', {"#####", ".....", "#####", ".....", "....."}},
    {'D', {"####..", "#...#.", "#....#", "#....#", "#....#", "#....#", "#....#", "#...#.", "####.."}},
    {'M', {"#.....#", "##...##", "#.#.#.#", "#..#..#", "#.....#", "#.....#", "#.....#", "#.....#", "#.....#"}},
    {'S', {".####", "#....", "#....", ".#...", "..##.", "....#", "....#", "....#", "####."}},
    {'a', {".###.", "....#", ".####", "#...#", "#...#", ".####"}},
    {'d', {"....#", "....#", "....#", ".####", "#...#", "#...#", "#...#", "#...#", ".####"}},
    {'e', {".###.", "#...#", "#####", "#....", "#...#", ".###."}},
    {'i', {"#", ".", "#", "#", "#", "#", "#", "#"}},
    {'n', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#"}},
    {'r', {"#.##", "##..", "#...", "#...", "#...", "#..."}},
    {'t', {".#.", ".#.", "###", ".#.", ".#.", ".#.", ".#.", "..#"}},
    {'v', {"#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."}},
    {'x', {"#...#", ".#.#.", "..#..", "..#..", ".#.#.", "#...#"}},
};
// clang-format on

const Glyph* FindGlyph(char c)
{
    for (const Glyph& g : Font)
        if (g.Character == c)
            return &g;
    return nullptr;
}

int GlyphHeight(const Glyph& g)
{
    int h = 0;
    while (h < 9 && g.Rows[h] != nullptr)
        ++h;
    return h;
}

// The two vertical half strokes that join sample value v to the previous
// value p, rows offset by base: ceil(d/2) pixels in the previous column
// leaving p, floor(d/2) in this column coming from v.
void CloseGap(PackedBitmap& bitmap, int32_t column, int32_t base, int p, int v, uint8_t index)
{
    if (v == p)
        return;
    const int d = v > p ? v - p : p - v;
    const int step = v > p ? 1 : -1;
    const int leaving = (d + 1) / 2;
    for (int j = 1; j <= leaving; ++j)
        SetPlotPixel(bitmap, base + p + step * j, column - 1, index);
    const int coming = d / 2;
    for (int j = 1; j <= coming; ++j)
        SetPlotPixel(bitmap, base + v - step * j, column, index);
}

void DrawArrowHeads(PackedBitmap& bitmap, int32_t axisRow)
{
    const int32_t w = bitmap.Width();
    const int32_t h = bitmap.Height();
    SetPlotPixel(bitmap, axisRow + 2, w - 3, PlotColor::Black);
    SetPlotPixel(bitmap, axisRow + 1, w - 2, PlotColor::Black);
    SetPlotPixel(bitmap, axisRow - 1, w - 2, PlotColor::Black);
    SetPlotPixel(bitmap, axisRow - 2, w - 3, PlotColor::Black);
    SetPlotPixel(bitmap, h - 2, 15, PlotColor::Black);
    SetPlotPixel(bitmap, h - 2, 17, PlotColor::Black);
    SetPlotPixel(bitmap, h - 3, 14, PlotColor::Black);
    SetPlotPixel(bitmap, h - 3, 18, PlotColor::Black);
}

void DrawTrace(const uint8_t* samples, size_t count, PackedBitmap& bitmap, int32_t base, uint8_t strokeIndex)
{
    for (size_t i = 0; i < count; ++i) {
        const int v = samples[i];
        const int p = i == 0 ? v : samples[i - 1];
        const auto column = static_cast<int32_t>(16 + i + 1);
        SetPlotPixel(bitmap, base + v, column, PlotColor::Sample);
        CloseGap(bitmap, column, base, p, v, strokeIndex);
    }
}

} // namespace

int32_t SignalPlotWidth(size_t count) { return RoundUpToFour(count + 24); }

int32_t WidthPlotWidth(size_t basis) { return RoundUpToFour(basis / 14 + 24); }

std::optional<PackedBitmap> AllocateSignalBitmap(int32_t height, int32_t width)
{
    if (height <= 0 || width <= 0)
        return std::nullopt;
    const size_t size = SignalBitmapHeaderSize + static_cast<size_t>(width) * static_cast<size_t>(height);
    try {
        return PackedBitmap(std::vector<uint8_t>(size, 0));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool NewSignalBitmap(PackedBitmap& block, int32_t height, int32_t width)
{
    if (height <= 0 || width <= 0 || width % 4 != 0)
        return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t>& b = block.Bytes();
    if (b.size() < SignalBitmapHeaderSize + pixels)
        return false;
    WritePaletteBitmap(b.data(), width, height);
    return true;
}

void SetPlotPixel(PackedBitmap& bitmap, int32_t row, int32_t column, uint8_t index)
{
    SetPalettePixel(bitmap, column, row, index);
}

uint8_t PlotPixel(const PackedBitmap& bitmap, int32_t row, int32_t column) { return PalettePixel(bitmap, column, row); }

void FillPlotRow(PackedBitmap& bitmap, int32_t row, uint8_t index)
{
    for (int32_t c = 0; c < bitmap.Width(); ++c)
        SetPlotPixel(bitmap, row, c, index);
}

void FillPlotColumn(PackedBitmap& bitmap, int32_t column, uint8_t index)
{
    for (int32_t r = 0; r < bitmap.Height(); ++r)
        SetPlotPixel(bitmap, r, column, index);
}

void DrawGlyph(uint8_t* pixels, int32_t rowLength, int32_t rowCount, int32_t x, int32_t y, char character)
{
    const Glyph* g = FindGlyph(character);
    if (g == nullptr)
        return;
    const int height = GlyphHeight(*g);
    for (int r = 0; r < height; ++r) {
        const int32_t row = y + (height - 1 - r);
        if (row < 0 || row >= rowCount)
            continue;
        const char* line = g->Rows[r];
        for (int32_t c = 0; line[c] != 0; ++c) {
            const int32_t column = x + c;
            if (line[c] == '#' && column >= 0 && column < rowLength)
                pixels[static_cast<size_t>(row) * static_cast<size_t>(rowLength) + static_cast<size_t>(column)] =
                    PlotColor::Black;
        }
    }
}

void DrawGlyph(PackedBitmap& bitmap, int32_t x, int32_t y, char character)
{
    if (bitmap.Bytes().size() < SignalBitmapHeaderSize + static_cast<size_t>(bitmap.Width()) * bitmap.Height())
        return;
    DrawGlyph(bitmap.Bytes().data() + SignalBitmapHeaderSize, bitmap.Width(), bitmap.Height(), x, y, character);
}

void DrawPlotText(PackedBitmap& bitmap, int32_t x, int32_t y, const std::string& text, bool shortDot)
{
    for (const char c : text) {
        DrawGlyph(bitmap, x, y, c);
        x += c == '1' ? 5 : (c == '.' && shortDot) ? 3 : 7;
    }
}

void DrawCalibrationTrace(const uint8_t* samples, size_t count, PackedBitmap& bitmap)
{
    FillPlotRow(bitmap, 16, PlotColor::Black);
    FillPlotColumn(bitmap, 16, PlotColor::Black);
    DrawArrowHeads(bitmap, 16);
    FillPlotRow(bitmap, 16 + SignalQuietLevel, PlotColor::Reference);
    DrawTrace(samples, count, bitmap, 16, PlotColor::Stroke);
}

void DrawSignalView(const uint8_t* samples, size_t count, PackedBitmap& bitmap)
{
    FillPlotRow(bitmap, 132, PlotColor::Black);
    FillPlotColumn(bitmap, 16, PlotColor::Black);
    DrawArrowHeads(bitmap, 132);
    for (const int32_t row : {12, 42, 72, 102, 162, 192, 222, 252})
        FillPlotRow(bitmap, row, PlotColor::Reference);
    DrawTrace(samples, count, bitmap, 4, PlotColor::Sample);
}

std::optional<PackedBitmap> MakeCalibrationTrace(const uint8_t* samples, size_t length)
{
    const int32_t width = SignalPlotWidth(length);
    std::optional<PackedBitmap> bitmap = AllocateSignalBitmap(CalibrationTraceHeight, width);
    if (!bitmap || !NewSignalBitmap(*bitmap, CalibrationTraceHeight, width))
        return std::nullopt;
    DrawCalibrationTrace(samples, length, *bitmap);
    return bitmap;
}

std::optional<PackedBitmap> MakeSignalView(const uint8_t* samples, size_t capacity)
{
    const size_t n = SignalLength(samples, capacity);
    if (n == 0)
        return std::nullopt;
    const int32_t width = SignalPlotWidth(n);
    std::optional<PackedBitmap> bitmap = AllocateSignalBitmap(SignalViewHeight, width);
    if (!bitmap || !NewSignalBitmap(*bitmap, SignalViewHeight, width))
        return std::nullopt;
    DrawSignalView(samples, n, *bitmap);
    return bitmap;
}

std::string CalibrationTraceCaption(int docCount, float percent, int trimmer)
{
    char text[128];
    std::snprintf(text, sizeof text, "%d Bitmap MICR Calibartion  -*-  %.1f, Trimmer = %d", docCount,
                  static_cast<double>(percent), trimmer);
    return text;
}

std::string SpeedWidthCaption(int widthMin, int widthMax)
{
    char text[128];
    std::snprintf(text, sizeof text, "Bitmap Width char E13B -*- Min.=%d, Max=%d", widthMin, widthMax);
    return text;
}

std::string TimeSampleWidthCaption(int timeSample, int widthMin, int widthMax)
{
    char text[128];
    std::snprintf(text, sizeof text, "Bitmap Width char E13B -*- PWM = %d -*-Min = %d, Max = %d", timeSample,
                  widthMin, widthMax);
    return text;
}

} // namespace bench
