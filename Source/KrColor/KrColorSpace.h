// Colour spaces by their signature: a class, a number of channels and a value range per channel,
// and the conversions between those ranges and 0..1.
//
// A signature is four 8-bit characters in a signed 32-bit integer, the first character in the
// most significant byte ('RGB ' is 0x52474220). The values 0 to 4 are signatures too.
#pragma once

#include "KrMath/KrVector.h"

#include <cstdint>

// The signature of four characters, such as KrSignature("RGB ").
constexpr int32_t KrSignature(const char (&code)[5])
{
    return static_cast<int32_t>(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                                uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3])));
}

// 0 for a signature that names no known space, 3 for the normalised ones ('nrm1' to 'nrm?');
// the other classes only group the spaces.
int32_t KrColorSpaceClass(int32_t signature);
bool KrIsKnownColorSpace(int32_t signature);
int32_t KrColorSpaceChannels(int32_t signature);
// The range of a channel. The rules hold for any index, also beyond the channel count.
double KrColorSpaceMinimum(int32_t signature, int32_t channel);
double KrColorSpaceMaximum(int32_t signature, int32_t channel);

// 'nrm' followed by '0' + channels, for 1 to 15 channels; KrDimMismatch otherwise.
int32_t KrNormalizedColorSpace(int32_t channels);
// Each element brought from its channel's range to 0..1 (unchanged for a normalised or unknown
// space), typed with the normalised signature of the vector's size. KrDimMismatch for a size
// outside 1..15.
KrVector KrNormalizeColor(const KrVector& v);
// Back from 0..1 into the ranges of space, with space's channel count (missing channels are 0,
// surplus elements dropped), typed space. Unchanged but for the type when space is unknown or
// the value 3.
KrVector KrDenormalizeColor(const KrVector& v, int32_t space);
