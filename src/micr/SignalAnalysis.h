// The bench's two analyses of an E13B signal, restated here so that the
// virtual unit's signals can be checked against what the bench will measure:
// the negative-peak statistics the gain calibration steers by, and the
// character-width windows the time-sample calibration judges by.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

struct SignalPeaks {
    uint16_t Count = 0;
    float Sum = 0.0f;
    int32_t Lowest = 255;
    uint16_t LowestCount = 0;
};

// Negative peaks: at most 96, not above any of the 7 samples before, below
// each of the 7 after, at least 100 samples after the last one taken (which
// starts at index 0), looked for from index 20 to length - 20.
inline int MeasureSignalPeaks(const uint8_t* s, uint32_t length, SignalPeaks& peaks)
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

// Percentage of a peak measurement: depth of the mean peak below 128 in
// volts (3.3 V / 256 a step) against 1.32 V.
inline float PeakPercent(float sum, int count)
{
    const float average = sum / static_cast<float>(count);
    return ((128.0f - average) * static_cast<float>(0.012890625)) * 100.0f / 1.32f;
}

struct CharacterWidths {
    int32_t Min = 1785;
    int32_t Max = 0;
    float Mean = 0.0f;
    float StdDev = 0.0f;
    std::vector<int> Widths;
};

// Windows of seven falling crossings of the threshold 112, sliding by one
// crossing, over the signal up to its first 0 sample without its first and
// last three high runs.
inline CharacterWidths MeasureCharacterWidths(const uint8_t* s, size_t capacity)
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

} // namespace bench
