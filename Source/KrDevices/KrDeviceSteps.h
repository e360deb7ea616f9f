// How scaled values become the monitor's steps, shared by both devices.
#pragma once

#include <cmath>
#include <cstdint>

// Cuts toward zero. A plain conversion is undefined where no 32-bit value fits: NaN gives 0,
// and anything beyond the range, infinities included, gives the nearer end of the range.
inline int32_t KrCutToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return INT32_MAX;
    if (value <= -2147483649.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The SDK takes only the low 8 bits of a scaled value; the log shows the whole of it.
inline int KrLowByte(int32_t value)
{
    return static_cast<int>(static_cast<uint32_t>(value) & 0xFFu);
}
