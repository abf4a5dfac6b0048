#include "micr/SignalAnalysis.h"

#include <cmath>

int MeasureSignalPeaks(const uint8_t* s, uint32_t length, SignalPeaks& peaks)
{
    peaks = {};
    if (length == 0) {
        peaks.Lowest = 0;
        return 0;
    }
    if (static_cast<int64_t>(length) - 20 < 20)
        return 1;
    int last = 0;
    for (int i = 20; i <= static_cast<int>(length) - 20; ++i) {
        const int v = s[i];
        if (v > 96 || i - last < 100)
            continue;
        bool peak = true;
        for (int k = 1; k <= 7 && peak; ++k)
            peak = v <= s[i - k] && v < s[i + k];
        if (!peak)
            continue;
        peaks.Sum += static_cast<float>(v);
        if (v == peaks.Lowest)
            ++peaks.LowestCount;
        if (v < peaks.Lowest) {
            peaks.Lowest = v;
            peaks.LowestCount = 1;
        }
        ++peaks.Count;
        last = i;
    }
    return 1;
}

float PeakPercent(float sum, int count)
{
    const float average = sum / static_cast<float>(count);
    return ((128.0f - average) * static_cast<float>(MicrVoltsPerStep)) * 100.0f / MicrFullScaleVolts;
}

CharacterWidths MeasureCharacterWidths(const uint8_t* s, size_t capacity)
{
    CharacterWidths r;
    size_t n = 0;
    while (n < capacity && s[n] != 0)
        ++n;
    const auto high = [&](long i) { return s[i] >= 112; };
    long end = static_cast<long>(n) - 1;
    while (end >= 0 && !high(end))
        --end;
    for (int k = 0; k < 3 && end >= 0; ++k) {
        while (end >= 0 && !high(end))
            --end;
        while (end >= 0 && high(end))
            --end;
    }
    long start = 0;
    for (int k = 0; k < 3 && start < static_cast<long>(n); ++k) {
        while (start < static_cast<long>(n) && !high(start))
            ++start;
        while (start < static_cast<long>(n) && high(start))
            ++start;
    }
    if (end < 0 || start >= static_cast<long>(n) || start > end)
        return r;
    int t = 1;
    int w = 0;
    long restart = start;
    bool flag = false;
    double sum = 0.0;
    for (long i = start; i <= end;) {
        const bool h = high(i);
        if (!h && flag) {
            if (t == 1) {
                restart = i;
                t = 2;
            } else if (t <= 6) {
                ++t;
            } else {
                const int width = w > 350 ? 349 : w;
                r.Widths.push_back(width);
                r.Min = width < r.Min ? width : r.Min;
                r.Max = width > r.Max ? width : r.Max;
                sum += width;
                t = 1;
                flag = false;
                i = restart + 1;
                w = 1;
                continue;
            }
        }
        flag = h;
        ++i;
        ++w;
    }
    if (!r.Widths.empty()) {
        r.Mean = static_cast<float>(sum / r.Widths.size());
        double dev = 0.0;
        for (int width : r.Widths)
            dev += (width - r.Mean) * (width - r.Mean);
        r.StdDev = static_cast<float>(std::sqrt(dev / r.Widths.size()));
    }
    return r;
}
