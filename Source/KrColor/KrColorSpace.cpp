#include "KrColor/KrColorSpace.h"

#include "KrCore/KrError.h"

namespace
{
const int32_t kUnknownClass = 0;
const int32_t kNormalizedClass = 3;
const int32_t kMaxNormalizedChannels = 15;

struct ChannelRange
{
    double minimum;
    double maximum;
};

// What the system knows of a colour space. Channel 0 has the range first, channel 1 second,
// every other index (negative ones too) the range others.
struct ColorSpace
{
    int32_t signature;
    int32_t spaceClass;
    int32_t channels;
    ChannelRange first;
    ChannelRange second;
    ChannelRange others;
};

constexpr ChannelRange k0To1{0, 1};
constexpr ChannelRange k0To2{0, 2};
constexpr ChannelRange k0To10{0, 10};
constexpr ChannelRange k0To100{0, 100};
constexpr ChannelRange k0To200{0, 200};
constexpr ChannelRange k0To255{0, 255};
constexpr ChannelRange k0To360{0, 360};
constexpr ChannelRange k0To2000{0, 2000};
constexpr ChannelRange kChroma{-128, 128};
constexpr ChannelRange kKelvin{1000, 30000};

// The spaces listed by signature.
const ColorSpace kListedSpaces[] = {
    // signature           class channels channel 0 channel 1 others
    {KrSignature("XYZ "), 1, 3, k0To200, k0To200, k0To200},
    {KrSignature("XYZN"), 1, 3, k0To1, k0To1, k0To1},
    {KrSignature("Yxy "), 1, 3, k0To200, k0To1, k0To1},
    {KrSignature("Yuv "), 1, 3, k0To200, k0To1, k0To1},
    {KrSignature("Lab "), 1, 3, k0To100, kChroma, kChroma},
    {KrSignature("Luv "), 1, 3, k0To100, kChroma, kChroma},
    {KrSignature("Jab "), 1, 3, k0To100, kChroma, kChroma},
    {KrSignature("Lcs "), 1, 3, k0To100, kChroma, kChroma},
    {KrSignature("LCh "), 1, 3, k0To100, k0To255, k0To360},
    {KrSignature("LChu"), 1, 3, k0To100, k0To255, k0To360},
    {KrSignature("JCh "), 1, 3, k0To100, k0To255, k0To360},
    {KrSignature("Lcsh"), 1, 3, k0To100, k0To255, k0To360},
    {KrSignature("kelv"), 1, 1, kKelvin, kKelvin, kKelvin},
    {KrSignature("dens"), 1, 36, k0To10, k0To10, k0To10},
    {KrSignature("emis"), 1, 36, k0To2000, k0To2000, k0To2000},
    {KrSignature("refl"), 1, 36, k0To2, k0To2, k0To2},
    {KrSignature("tran"), 1, 36, k0To2, k0To2, k0To2},
    {KrSignature("RGB "), 2, 3, k0To255, k0To255, k0To255},
    {KrSignature("GRAY"), 2, 1, k0To100, k0To100, k0To100},
    {KrSignature("CMY "), 2, 3, k0To100, k0To100, k0To100},
    {KrSignature("CMYK"), 2, 4, k0To100, k0To100, k0To100},
    {KrSignature("HSV "), 2, 3, k0To360, k0To100, k0To100},
    {KrSignature("HLS "), 2, 3, k0To360, k0To100, k0To100},
    {KrSignature("LcsD"), 2, 3, k0To100, kChroma, kChroma},
    {KrSignature("HI  "), 2, 2, k0To1, k0To1, k0To1},
    {KrSignature("HIR "), 2, 3, k0To1, k0To1, k0To1},
    {KrSignature("DENS"), 4, 4, k0To10, k0To10, k0To10},
};

// n-colour data: one hexadecimal digit 1..9, A..F for n, then "CLR".
const uint32_t kNColorSuffix = uint32_t(KrSignature("\0CLR"));
const int32_t kNColorClass = 2;
// Normalised data: "nrm", then '0' + n.
const uint32_t kNormalizedPrefix = uint32_t(KrSignature("nrm\0"));
// The values 1 to 4 are their own class.
const int32_t kLargestNumberSpace = 4;

// The value of a hexadecimal digit 1..9, A..F (upper case), else 0.
int32_t ChannelDigit(uint32_t character)
{
    if (character >= '1' && character <= '9')
        return int32_t(character - '0');
    if (character >= 'A' && character <= 'F')
        return int32_t(character - 'A') + 10;
    return 0;
}

ColorSpace Uniform(int32_t signature, int32_t spaceClass, int32_t channels, ChannelRange range)
{
    return {signature, spaceClass, channels, range, range, range};
}

ColorSpace Describe(int32_t signature)
{
    for (const ColorSpace& space : kListedSpaces)
    {
        if (space.signature == signature)
            return space;
    }
    const uint32_t code = uint32_t(signature);
    const int32_t normalizedChannels = int32_t(code & 0xFF) - '0';
    if ((code & 0xFFFFFF00) == kNormalizedPrefix && normalizedChannels >= 1 && normalizedChannels <= kMaxNormalizedChannels)
        return Uniform(signature, kNormalizedClass, normalizedChannels, k0To1);
    const int32_t digit = ChannelDigit(code >> 24);
    if ((code & 0x00FFFFFF) == kNColorSuffix && digit > 0)
        return Uniform(signature, kNColorClass, digit, k0To100);
    if (signature >= 1 && signature <= kLargestNumberSpace)
        return Uniform(signature, signature, 3, k0To100);
    return Uniform(signature, kUnknownClass, 3, k0To100);
}

ChannelRange Range(const ColorSpace& space, int32_t channel)
{
    return channel == 0 ? space.first : channel == 1 ? space.second : space.others;
}
}

int32_t KrColorSpaceClass(int32_t signature)
{
    return Describe(signature).spaceClass;
}

bool KrIsKnownColorSpace(int32_t signature)
{
    return KrColorSpaceClass(signature) != kUnknownClass;
}

int32_t KrColorSpaceChannels(int32_t signature)
{
    return Describe(signature).channels;
}

double KrColorSpaceMinimum(int32_t signature, int32_t channel)
{
    return Range(Describe(signature), channel).minimum;
}

double KrColorSpaceMaximum(int32_t signature, int32_t channel)
{
    return Range(Describe(signature), channel).maximum;
}

int32_t KrNormalizedColorSpace(int32_t channels)
{
    if (channels < 1 || channels > kMaxNormalizedChannels)
        KR_RAISE(KrErrDimMismatch);
    return int32_t(kNormalizedPrefix) | ('0' + channels);
}

KrVector KrNormalizeColor(const KrVector& v)
{
    const int32_t m = v.GetSize();
    const int32_t target = KrNormalizedColorSpace(m);
    const ColorSpace space = Describe(v.GetType());
    KrVector result = v;
    if (space.spaceClass != kUnknownClass && space.spaceClass != kNormalizedClass)
    {
        for (int32_t i = 0; i < m; ++i)
        {
            const ChannelRange range = Range(space, i);
            result.At(i) = (v.Get(i) - range.minimum) / (range.maximum - range.minimum);
        }
    }
    result.SetType(target);
    return result;
}

KrVector KrDenormalizeColor(const KrVector& v, int32_t signature)
{
    // The value 3 as a space (the class number of the normalised spaces) keeps the values.
    const int32_t kKeepingSignature = 3;
    const ColorSpace space = Describe(signature);
    KrVector result = v;
    if (signature != kKeepingSignature && space.spaceClass != kUnknownClass)
    {
        result = KrVector(space.channels, signature);
        for (int32_t i = 0; i < space.channels; ++i)
        {
            const ChannelRange range = Range(space, i);
            result.At(i) = i < v.GetSize() ? range.minimum + v.Get(i) * (range.maximum - range.minimum) : 0.0;
        }
    }
    result.SetType(signature);
    return result;
}
