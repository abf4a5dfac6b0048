// A floating-point value as a 32-bit whole number, for values that come from
// files or from typing: cut towards zero, held to the int32_t range, NaN as 0.
// A plain cast of a value out of that range is undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t SaturatedInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}
