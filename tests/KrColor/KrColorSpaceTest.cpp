#include "KrColor/KrColorSpace.h"

#include "../KrCore/KrExpectError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{
using Values = std::vector<double>;

KrVector MakeVector(const Values& values, int32_t tag)
{
    return KrVector(static_cast<int32_t>(values.size()), tag, values.data());
}

Values Elements(const KrVector& v)
{
    Values elements;
    for (int32_t i = 0; i < v.GetSize(); ++i)
        elements.push_back(v.Get(i));
    return elements;
}

struct Range
{
    double minimum;
    double maximum;
};

// What a signature stands for: ranges of channel 0, channel 1 and channel 2 (and above).
struct Row
{
    std::string what;
    int32_t signature;
    int32_t spaceClass;
    int32_t channels;
    Range ranges[3];
};

// The table, written out row by row; n-colour and normalised signatures are added in a loop.
std::vector<Row> ExpectedRows()
{
    std::vector<Row> rows = {
        {"XYZ ", KrSignature("XYZ "), 1, 3, {{0, 200}, {0, 200}, {0, 200}}},
        {"XYZN", KrSignature("XYZN"), 1, 3, {{0, 1}, {0, 1}, {0, 1}}},
        {"Yxy ", KrSignature("Yxy "), 1, 3, {{0, 200}, {0, 1}, {0, 1}}},
        {"Yuv ", KrSignature("Yuv "), 1, 3, {{0, 200}, {0, 1}, {0, 1}}},
        {"Lab ", KrSignature("Lab "), 1, 3, {{0, 100}, {-128, 128}, {-128, 128}}},
        {"Luv ", KrSignature("Luv "), 1, 3, {{0, 100}, {-128, 128}, {-128, 128}}},
        {"Jab ", KrSignature("Jab "), 1, 3, {{0, 100}, {-128, 128}, {-128, 128}}},
        {"Lcs ", KrSignature("Lcs "), 1, 3, {{0, 100}, {-128, 128}, {-128, 128}}},
        {"LCh ", KrSignature("LCh "), 1, 3, {{0, 100}, {0, 255}, {0, 360}}},
        {"LChu", KrSignature("LChu"), 1, 3, {{0, 100}, {0, 255}, {0, 360}}},
        {"JCh ", KrSignature("JCh "), 1, 3, {{0, 100}, {0, 255}, {0, 360}}},
        {"Lcsh", KrSignature("Lcsh"), 1, 3, {{0, 100}, {0, 255}, {0, 360}}},
        {"kelv", KrSignature("kelv"), 1, 1, {{1000, 30000}, {1000, 30000}, {1000, 30000}}},
        {"dens", KrSignature("dens"), 1, 36, {{0, 10}, {0, 10}, {0, 10}}},
        {"emis", KrSignature("emis"), 1, 36, {{0, 2000}, {0, 2000}, {0, 2000}}},
        {"refl", KrSignature("refl"), 1, 36, {{0, 2}, {0, 2}, {0, 2}}},
        {"tran", KrSignature("tran"), 1, 36, {{0, 2}, {0, 2}, {0, 2}}},
        {"RGB ", 1380401696, 2, 3, {{0, 255}, {0, 255}, {0, 255}}},
        {"GRAY", KrSignature("GRAY"), 2, 1, {{0, 100}, {0, 100}, {0, 100}}},
        {"CMY ", KrSignature("CMY "), 2, 3, {{0, 100}, {0, 100}, {0, 100}}},
        {"CMYK", KrSignature("CMYK"), 2, 4, {{0, 100}, {0, 100}, {0, 100}}},
        {"HSV ", KrSignature("HSV "), 2, 3, {{0, 360}, {0, 100}, {0, 100}}},
        {"HLS ", KrSignature("HLS "), 2, 3, {{0, 360}, {0, 100}, {0, 100}}},
        {"LcsD", KrSignature("LcsD"), 2, 3, {{0, 100}, {-128, 128}, {-128, 128}}},
        {"HI  ", KrSignature("HI  "), 2, 2, {{0, 1}, {0, 1}, {0, 1}}},
        {"HIR ", KrSignature("HIR "), 2, 3, {{0, 1}, {0, 1}, {0, 1}}},
        {"DENS", KrSignature("DENS"), 4, 4, {{0, 10}, {0, 10}, {0, 10}}},
        {"nrm:", KrSignature("nrm:"), 3, 10, {{0, 1}, {0, 1}, {0, 1}}},
        {"value 1", 1, 1, 3, {{0, 100}, {0, 100}, {0, 100}}},
        {"value 2", 2, 2, 3, {{0, 100}, {0, 100}, {0, 100}}},
        {"value 3", 3, 3, 3, {{0, 100}, {0, 100}, {0, 100}}},
        {"value 4", 4, 4, 3, {{0, 100}, {0, 100}, {0, 100}}},
    };
    const Row unknown = {"", 0, 0, 3, {{0, 100}, {0, 100}, {0, 100}}};
    for (const int32_t signature : {0, 5, -1, KrSignature("rgb "), KrSignature("RGB\0"), KrSignature("0CLR"),
                                    KrSignature("GCLR"), KrSignature("aCLR"), KrSignature("6CLr"),
                                    KrSignature("nrm0"), KrSignature("nrm@"), KrSignature("NRM1"),
                                    KrSignature("nrn1")})
    {
        Row row = unknown;
        row.what = "unknown " + std::to_string(signature);
        row.signature = signature;
        rows.push_back(row);
    }
    const std::string digits = "123456789ABCDEF";
    for (int32_t n = 1; n <= 15; ++n)
    {
        // '1CLR' is 0x31434C52, 'FCLR' 0x46434C52.
        const int32_t nColor = int32_t(uint32_t(uint8_t(digits[size_t(n - 1)])) << 24 | 0x434C52);
        rows.push_back({std::to_string(n) + "-colour", nColor, 2, n, {{0, 100}, {0, 100}, {0, 100}}});
        const int32_t normalized = int32_t(0x6E726D00 | uint32_t('0' + n)); // 'nrm' + ('0' + n)
        rows.push_back({"nrm" + std::to_string(n), normalized, 3, n, {{0, 1}, {0, 1}, {0, 1}}});
    }
    return rows;
}

TEST(KrColorSpaceTest, TableRows)
{
    for (const Row& row : ExpectedRows())
    {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(KrColorSpaceClass(row.signature), row.spaceClass);
        EXPECT_EQ(KrIsKnownColorSpace(row.signature), row.spaceClass != 0);
        EXPECT_EQ(KrColorSpaceChannels(row.signature), row.channels);
        // The rules hold for any index: the third range for every channel from 2 on, and for
        // negative indexes too.
        for (const int32_t channel : {0, 1, 2, 3, 5, 35, 1000, -1})
        {
            const Range& range = row.ranges[channel >= 0 && channel < 2 ? channel : 2];
            EXPECT_EQ(KrColorSpaceMinimum(row.signature, channel), range.minimum) << "channel " << channel;
            EXPECT_EQ(KrColorSpaceMaximum(row.signature, channel), range.maximum) << "channel " << channel;
        }
    }
}

TEST(KrColorSpaceTest, NormalizedSignatureCountsTheChannels)
{
    EXPECT_EQ(KrNormalizedColorSpace(1), KrSignature("nrm1"));
    EXPECT_EQ(KrNormalizedColorSpace(10), KrSignature("nrm:"));
    EXPECT_EQ(KrNormalizedColorSpace(15), KrSignature("nrm?"));
    for (const int32_t channels : {0, 16, -1, 36})
        EXPECT_RAISES(KrNormalizedColorSpace(channels), KrErrDimMismatch) << channels;
}

TEST(KrColorSpaceTest, Normalize)
{
    const struct
    {
        const char* what;
        Values values;
        int32_t type;
        Values expected;
        int32_t expectedType;
    } cases[] = {
        {"RGB", {255, 128, 0}, KrSignature("RGB "), {1, 128.0 / 255, 0}, KrSignature("nrm3")},
        {"Lab", {50, -64, 64}, KrSignature("Lab "), {0.5, 0.25, 0.75}, KrSignature("nrm3")},
        {"GRAY", {25}, KrSignature("GRAY"), {0.25}, KrSignature("nrm1")},
        {"kelvin", {15500}, KrSignature("kelv"), {0.5}, KrSignature("nrm1")},
        {"surplus channels use the ranges too", {50, -64, 64, 0}, KrSignature("Lab "), {0.5, 0.25, 0.75, 0.5}, KrSignature("nrm4")},
        {"untyped keeps its numbers", {3, 4}, 0, {3, 4}, KrSignature("nrm2")},
        {"unknown keeps its numbers", {300}, KrSignature("abcd"), {300}, KrSignature("nrm1")},
        {"normalised stays", {0.1, 0.2, 0.3}, KrSignature("nrm3"), {0.1, 0.2, 0.3}, KrSignature("nrm3")},
        {"normalised of another count", {0.1, 0.2}, KrSignature("nrm5"), {0.1, 0.2}, KrSignature("nrm2")},
        {"the value 3 is of the normalised class", {50}, 3, {50}, KrSignature("nrm1")},
        {"the value 4 has ranges", {50}, 4, {0.5}, KrSignature("nrm1")},
    };
    for (const auto& c : cases)
    {
        const KrVector in = MakeVector(c.values, c.type);
        const KrVector out = KrNormalizeColor(in);
        ASSERT_EQ(out.GetSize(), int32_t(c.expected.size())) << c.what;
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_DOUBLE_EQ(out.Get(int32_t(i)), c.expected[i]) << c.what << ", element " << i;
        EXPECT_EQ(out.GetType(), c.expectedType) << c.what;
        EXPECT_EQ(Elements(in), c.values) << c.what << ": the input stays";
    }
    EXPECT_RAISES(KrNormalizeColor(KrVector()), KrErrDimMismatch);
    EXPECT_RAISES(KrNormalizeColor(KrVector(0, KrSignature("RGB "))), KrErrDimMismatch);
    EXPECT_RAISES(KrNormalizeColor(KrVector(16, KrSignature("RGB "))), KrErrDimMismatch);
    EXPECT_RAISES(KrNormalizeColor(KrVector(36, KrSignature("refl"))), KrErrDimMismatch);
    KrVector code;
    code.SetSize(-3);
    EXPECT_RAISES(KrNormalizeColor(code), KrErrDimMismatch);
}

TEST(KrColorSpaceTest, Denormalize)
{
    const struct
    {
        const char* what;
        Values values;
        int32_t space;
        Values expected;
    } cases[] = {
        {"RGB", {1, 128.0 / 255, 0}, KrSignature("RGB "), {255, 128, 0}},
        {"missing channels are 0", {0.5, 0.5}, KrSignature("RGB "), {127.5, 127.5, 0}},
        {"surplus elements are dropped", {0.1, 0.2, 0.3, 0.4}, KrSignature("GRAY"), {10}},
        {"Lab", {0.5, 0.25, 0.75}, KrSignature("Lab "), {50, -64, 64}},
        {"LCh", {1, 1, 1}, KrSignature("LCh "), {100, 255, 360}},
        {"normalised space takes its count", {0.1, 0.2, 0.3}, KrSignature("nrm5"), {0.1, 0.2, 0.3, 0, 0}},
        {"the value 3 keeps the vector", {0.5}, 3, {0.5}},
        {"the value 2 is a space", {0.5}, 2, {50, 0, 0}},
        {"unknown space keeps the vector", {0.5, 0.7}, KrSignature("abcd"), {0.5, 0.7}},
        {"untyped keeps the vector", {0.5, 0.7}, 0, {0.5, 0.7}},
        {"nothing to denormalise", {}, KrSignature("CMYK"), {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        const KrVector out = KrDenormalizeColor(MakeVector(c.values, KrSignature("nrm3")), c.space);
        ASSERT_EQ(out.GetSize(), int32_t(c.expected.size())) << c.what;
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR(out.Get(int32_t(i)), c.expected[i], 1e-12) << c.what << ", element " << i;
        EXPECT_EQ(out.GetType(), c.space) << c.what;
    }
}

// Every listed space of at most 15 channels, and every n-colour space: values inside the ranges
// normalise into 0..1 and come back as they were.
TEST(KrColorSpaceTest, RoundTrips)
{
    for (const Row& row : ExpectedRows())
    {
        if (row.spaceClass == 0 || row.spaceClass == 3 || row.channels > 15)
            continue;
        SCOPED_TRACE(row.what);
        KrVector color(row.channels, row.signature);
        for (int32_t i = 0; i < row.channels; ++i)
        {
            const Range& range = row.ranges[i < 2 ? i : 2];
            color.At(i) = range.minimum + (range.maximum - range.minimum) * (i + 1) / (row.channels + 2);
        }
        const KrVector normalized = KrNormalizeColor(color);
        EXPECT_EQ(normalized.GetType(), KrNormalizedColorSpace(row.channels));
        for (int32_t i = 0; i < row.channels; ++i)
        {
            EXPECT_GT(normalized.Get(i), 0.0);
            EXPECT_LT(normalized.Get(i), 1.0);
        }
        const KrVector back = KrDenormalizeColor(normalized, row.signature);
        ASSERT_EQ(back.GetSize(), row.channels);
        EXPECT_EQ(back.GetType(), row.signature);
        for (int32_t i = 0; i < row.channels; ++i)
            EXPECT_NEAR(back.Get(i), color.Get(i), 1e-9 * (1 + std::abs(color.Get(i)))) << "channel " << i;
    }
}
}
