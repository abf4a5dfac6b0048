#include "decode/OcrInkMap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>

namespace decode::ocr {

namespace {

// Paper and ink must differ by this many grey levels for a line to be read.
constexpr float MinContrast = 60.0f;

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

} // namespace

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

} // namespace decode::ocr
