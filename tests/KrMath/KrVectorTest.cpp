#include "KrMath/KrVector.h"

#include "../KrCore/KrExpectError.h"
#include "KrMathTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace
{
using Values = std::vector<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(KrVectorTest, DefaultVectorIsEmptyAndUntagged)
{
    KrVector v;
    EXPECT_EQ(v.GetSize(), 0);
    EXPECT_EQ(v.GetType(), 0);
    EXPECT_EQ(v.Data(), nullptr);
    EXPECT_RAISES(v.Get(0), KrErrIndexError);
    EXPECT_RAISES(v.At(0), KrErrIndexError);
    EXPECT_RAISES(v.Sample(0.5), KrErrDimMismatch);
    EXPECT_RAISES(v.InverseSample(0.5), KrErrDimMismatch);
    EXPECT_RAISES(v.Max(), KrErrDimMismatch);
    EXPECT_EQ(v.ToText(), KrString(""));
}

TEST(KrVectorTest, ConstructionGivesSizeTagAndValues)
{
    EXPECT_EQ(Elements(KrVector(3, kTagRGB)), Values({0.0, 0.0, 0.0}));
    EXPECT_EQ(KrVector(3, kTagRGB).GetType(), kTagRGB);
    const double values[] = {1.5, -2.0, 3.25, 4.0, 5.0, 6.0};
    EXPECT_EQ(Elements(KrVector(6, 0, values)), Values({1.5, -2.0, 3.25, 4.0, 5.0, 6.0}));
    KrVector tagOnly(0, kTagRGB);
    EXPECT_EQ(tagOnly.GetSize(), 0);
    EXPECT_EQ(tagOnly.GetType(), kTagRGB);
}

TEST(KrVectorTest, GetAndAtCheckTheRange)
{
    KrVector v = MakeVector({1, 2, 3});
    for (int32_t bad : {-1, 3, 100})
    {
        EXPECT_RAISES(v.Get(bad), KrErrIndexError) << bad;
        EXPECT_RAISES(v.At(bad), KrErrIndexError) << bad;
    }
    v.At(2) = 9.0;
    EXPECT_EQ(v.Get(2), 9.0);
}

// Every writer unshares first: the vector it was copied from keeps its values and tag.
TEST(KrVectorTest, WritesThroughACopyLeaveTheOriginalAlone)
{
    const std::vector<std::pair<const char*, std::function<void(KrVector&)>>> writers = {
        {"At", [](KrVector& v) { v.At(0) = 100.0; }},
        {"SetType", [](KrVector& v) { v.SetType(7); }},
        {"SetValues list", [](KrVector& v) { v.SetValues(3, 7.0, 8.0, 9.0); }},
        {"SetValues array", [](KrVector& v) {
             const double values[] = {7, 8, 9};
             v.SetValues(3, values);
         }},
        {"SetSize", [](KrVector& v) { v.SetSize(5); }},
        {"Fill", [](KrVector& v) { v.Fill(7.0); }},
        {"Clip", [](KrVector& v) { v.Clip(1.5, 2.5); }},
        {"+=", [](KrVector& v) { v += MakeVector({1, 1, 1}); }},
        {"FromUInt16", [](KrVector& v) {
             const uint16_t codes[] = {0, 65535, 0};
             v.FromUInt16(codes, MakeVector({0, 0, 0}), MakeVector({1, 1, 1}));
         }},
        {"FromText", [](KrVector& v) { v.FromText("4 5 6"); }},
        {"Assign", [](KrVector& v) { v.Assign(MakeVector({4, 5, 6})); }},
    };
    for (const auto& writer : writers)
    {
        const KrVector original = MakeVector({1, 2, 3}, kTagRGB);
        KrVector copy(original);
        ASSERT_EQ(copy.Data(), original.Data()) << "copies share one record";
        writer.second(copy);
        EXPECT_NE(copy.Data(), original.Data()) << writer.first;
        EXPECT_EQ(Elements(original), Values({1, 2, 3})) << writer.first;
        EXPECT_EQ(original.GetType(), kTagRGB) << writer.first;
    }
}

TEST(KrVectorTest, WritingAnUnsharedVectorDoesNotCopy)
{
    KrVector v = MakeVector({1, 2, 3});
    const double* before = v.Data();
    v.At(1) = 5.0;
    v.Fill(2.0, 0, 0);
    v.SetType(kTagRGB);
    EXPECT_EQ(v.Data(), before);
    EXPECT_EQ(Elements(v), Values({2, 5, 3}));
}

TEST(KrVectorTest, CopyAssignmentSharesAndReleases)
{
    KrVector a = MakeVector({1, 2});
    KrVector b = MakeVector({3, 4, 5});
    b = a;
    EXPECT_EQ(b.Data(), a.Data());
    const KrVector& alias = b;
    b = alias;
    EXPECT_EQ(Elements(b), Values({1, 2}));
    a.At(0) = 9.0;
    EXPECT_EQ(Elements(b), Values({1, 2}));
}

TEST(KrVectorTest, SetSizeKeepsLeadingValuesAndTheTag)
{
    KrVector v = MakeVector({1, 2, 3}, kTagRGB);
    v.SetSize(5);
    EXPECT_EQ(Elements(v), Values({1, 2, 3, 0, 0}));
    EXPECT_EQ(v.GetType(), kTagRGB);
    v.SetSize(2);
    EXPECT_EQ(Elements(v), Values({1, 2}));
    EXPECT_EQ(v.GetType(), kTagRGB);

    // The same size keeps a shared record shared.
    KrVector copy(v);
    copy.SetSize(2);
    EXPECT_EQ(copy.Data(), v.Data());
}

TEST(KrVectorTest, NegativeSizeIsACodeWithoutElements)
{
    KrVector curve = MakeVector({2.2}, kTagRGB);
    curve.SetSize(-4);
    EXPECT_EQ(curve.GetSize(), -4);
    EXPECT_EQ(curve.GetType(), kTagRGB);
    EXPECT_RAISES(curve.Get(0), KrErrIndexError);
    EXPECT_RAISES(curve.At(0), KrErrIndexError);
    EXPECT_RAISES(curve.Fill(1.0), KrErrIndexError);
    EXPECT_RAISES(curve.Sample(0.5), KrErrDimMismatch);
    EXPECT_EQ(curve.ToText(), KrString(""));
    KrVector copy(curve);
    EXPECT_EQ(copy.GetSize(), -4);
    curve.SetSize(3);
    EXPECT_EQ(Elements(curve), Values({0, 0, 0}));
}

TEST(KrVectorTest, SetTypeWithoutARecordMakesAnEmptyTaggedOne)
{
    KrVector v;
    v.SetType(kTagRGB);
    EXPECT_EQ(v.GetSize(), 0);
    EXPECT_EQ(v.GetType(), kTagRGB);
    EXPECT_NE(v.Data(), nullptr);
}

TEST(KrVectorTest, AssignReadsAnyVectorThroughTheInterface)
{
    KrVector v = MakeVector({9, 9});
    const ForeignVector foreign({0.5, 1.5, 2.5, 3.5, 4.5}, kTagRGB);
    v.Assign(foreign);
    EXPECT_EQ(Elements(v), Values({0.5, 1.5, 2.5, 3.5, 4.5}));
    EXPECT_EQ(v.GetType(), kTagRGB);
    EXPECT_EQ(Elements(KrVector(foreign)), Values({0.5, 1.5, 2.5, 3.5, 4.5}));

    // An empty source still leaves a record, carrying its tag.
    v.Assign(ForeignVector({}, 5));
    EXPECT_EQ(v.GetSize(), 0);
    EXPECT_EQ(v.GetType(), 5);
    EXPECT_NE(v.Data(), nullptr);

    KrVector self = MakeVector({1, 2});
    const double* before = self.Data();
    self.Assign(self);
    EXPECT_EQ(self.Data(), before);
    EXPECT_EQ(Elements(self), Values({1, 2}));
}

TEST(KrVectorTest, AHostWritesOurVectorThroughTheInterface)
{
    KrVector ours = MakeVector({1, 2, 3});
    KrVector sharer(ours);
    KrVectorData& seenByHost = ours;
    seenByHost.At(1) = 20.0;
    seenByHost.SetType(kTagRGB);
    EXPECT_EQ(Elements(ours), Values({1, 20, 3}));
    EXPECT_EQ(ours.GetType(), kTagRGB);
    EXPECT_EQ(Elements(sharer), Values({1, 2, 3}));
    ForeignVector host({}, 0);
    host.Assign(ours);
    EXPECT_EQ(host.GetSize(), 3);
    EXPECT_EQ(host.Get(1), 20.0);
}

TEST(KrVectorTest, SetValuesAndGetValues)
{
    KrVector v(0, kTagRGB);
    v.SetValues(3, 0.25, 0.5, 1.0);
    EXPECT_EQ(Elements(v), Values({0.25, 0.5, 1.0}));
    EXPECT_EQ(v.GetType(), kTagRGB);
    const double array[] = {4, 5, 6, 7, 8};
    v.SetValues(5, array);
    double out[5] = {};
    v.GetValues(out);
    EXPECT_EQ(Values(out, out + 5), Values(array, array + 5));
    EXPECT_RAISES(v.SetValues(2, static_cast<const double*>(nullptr)), KrErrArgErr);
    EXPECT_RAISES(v.GetValues(nullptr), KrErrArgErr);
    KrVector().GetValues(nullptr); // nothing to copy
}

struct RangeCase
{
    int32_t first;
    int32_t last;
    bool valid;
    Values filled; // after Fill(7) on (1, 2, 3)
    double max;    // of (1, 2, 3) over the range
};

TEST(KrVectorTest, FillClipAndMaxCheckTheirRange)
{
    const RangeCase cases[] = {
        {-1, -1, true, {7, 7, 7}, 3}, {1, -1, true, {1, 7, 7}, 3}, {-1, 0, true, {7, 2, 3}, 1},
        {1, 1, true, {1, 7, 3}, 2},   {2, 1, false, {}, 0},        {3, -1, false, {}, 0},
        {0, 3, false, {}, 0},         {-5, 99, false, {}, 0},
    };
    for (const RangeCase& c : cases)
    {
        KrVector v = MakeVector({1, 2, 3});
        if (c.valid)
        {
            v.Fill(7.0, c.first, c.last);
            EXPECT_EQ(Elements(v), c.filled) << c.first << ".." << c.last;
            EXPECT_EQ(MakeVector({1, 2, 3}).Max(c.first, c.last), c.max) << c.first << ".." << c.last;
        }
        else
        {
            KrVector sharer(v);
            EXPECT_RAISES(v.Fill(7.0, c.first, c.last), KrErrIndexError) << c.first << ".." << c.last;
            EXPECT_RAISES(v.Clip(0.0, 1.0, c.first, c.last), KrErrIndexError) << c.first << ".." << c.last;
            EXPECT_RAISES(v.Max(c.first, c.last), KrErrIndexError) << c.first << ".." << c.last;
            EXPECT_EQ(Elements(sharer), Values({1, 2, 3}));
            EXPECT_EQ(Elements(v), Values({1, 2, 3}));
        }
    }
}

TEST(KrVectorTest, FillAndClipOnAVectorWithoutARecordDoNothing)
{
    KrVector v;
    v.Fill(1.0);
    v.Clip(0.0, 1.0, 5, 9);
    EXPECT_EQ(v.Data(), nullptr);
    EXPECT_RAISES(KrVector(0, kTagRGB).Fill(1.0), KrErrIndexError);
    EXPECT_RAISES(KrVector(0, kTagRGB).Max(), KrErrDimMismatch);
}

TEST(KrVectorTest, ClipClampsIntoTheBounds)
{
    KrVector v = MakeVector({-1, 0.5, 2, kNaN});
    v.Clip(0.0, 1.0);
    EXPECT_EQ(v.Get(0), 0.0);
    EXPECT_EQ(v.Get(1), 0.5);
    EXPECT_EQ(v.Get(2), 1.0);
    EXPECT_TRUE(std::isnan(v.Get(3)));
    EXPECT_EQ(MakeVector({3, 9, -2, 9.5}).Max(), 9.5);
}

struct SampleCase
{
    Values samples;
    double x;
    double expected;
};

TEST(KrVectorTest, SampleInterpolatesBetweenNeighbours)
{
    const SampleCase cases[] = {
        {{0, 10, 30}, 0.5, 10},  {{0, 10, 30}, 0.75, 20}, {{0, 10, 30}, -1, 0},    {{0, 10, 30}, 2, 30},
        {{0, 10, 30}, 0.0, 0},   {{0, 10, 30}, 1.0, 30},  {{30, 10, 0}, 0.25, 20}, {{5, 5, 5}, 0.3, 5},
        {{42}, 0.7, 42},         {{0, 10, 30}, kNaN, 0},  {{0, 1}, std::nextafter(1.0, 0.0), std::nextafter(1.0, 0.0)},
    };
    for (const SampleCase& c : cases)
    {
        const KrVector v(static_cast<int32_t>(c.samples.size()), 0, c.samples.data());
        EXPECT_DOUBLE_EQ(v.Sample(c.x), c.expected) << "x " << c.x << " on " << v.ToText().Text();
    }
}

TEST(KrVectorTest, InverseSampleFindsThePosition)
{
    const SampleCase cases[] = {
        // rising
        {{0, 10, 30}, 20, 0.75},
        {{0, 10, 30}, 10, 0.5},
        {{0, 10, 30}, -5, 0},
        {{0, 10, 30}, 99, 1},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8}, 6.5, 6.5 / 8},
        // falling
        {{30, 10, 0}, 5, 0.75},
        {{30, 10, 0}, 20, 0.25},
        {{30, 10, 0}, 31, 0},
        {{30, 10, 0}, -1, 1},
        // flat: y at or above the first element is 0, below the last is 1
        {{5, 5, 5}, 5, 0},
        {{5, 5, 5}, 6, 0},
        {{5, 5, 5}, 4, 1},
        // a flat stretch inside a rising vector gives its middle
        {{0, 10, 10 + 1e-9, 20}, 10 + 5e-10, 0.5},
        // one element reads as flat
        {{7}, 7, 0},
        {{7}, 6, 1},
    };
    for (const SampleCase& c : cases)
    {
        const KrVector v(static_cast<int32_t>(c.samples.size()), 0, c.samples.data());
        EXPECT_NEAR(v.InverseSample(c.x), c.expected, 1e-12) << "y " << c.x << " on " << v.ToText().Text();
    }
}

TEST(KrVectorTest, SampleAndInverseSampleAgreeOnARisingCurve)
{
    KrVector curve(256);
    for (int32_t i = 0; i < 256; ++i)
        curve.At(i) = std::pow(i / 255.0, 2.2);
    for (double x = 0.0; x <= 1.0; x += 0.0625)
        EXPECT_NEAR(curve.InverseSample(curve.Sample(x)), x, 1e-9) << x;
}

struct QuantiseCase
{
    double value;
    uint16_t code16;
    uint8_t code8;
};

TEST(KrVectorTest, QuantisingRoundsHalfUpAndClamps)
{
    const QuantiseCase cases[] = {
        {0.5, 32768, 128}, {1.0, 65535, 255},  {-0.1, 0, 0}, {0.0, 0, 0}, {7.0, 65535, 255},
        {kNaN, 0, 0},      {65534.4 / 65535, 65534, 255},   {254.4 / 255, 65381, 254},
    };
    for (const QuantiseCase& c : cases)
    {
        const KrVector v = MakeVector({c.value, 2.0 * c.value});
        const KrVector low = MakeVector({0, 0});
        const KrVector high = MakeVector({1, 2});
        uint16_t codes16[2] = {1, 1};
        uint8_t codes8[2] = {1, 1};
        v.ToUInt16(codes16, low, high);
        v.ToUInt8(codes8, low, high);
        EXPECT_EQ(codes16[0], c.code16) << c.value;
        EXPECT_EQ(codes16[1], c.code16) << c.value;
        EXPECT_EQ(codes8[0], c.code8) << c.value;
        EXPECT_EQ(codes8[1], c.code8) << c.value;
    }
}

TEST(KrVectorTest, ConversionsCheckBufferAndBounds)
{
    KrVector v = MakeVector({0.5, 0.5});
    const KrVector two = MakeVector({0, 0});
    const KrVector three = MakeVector({1, 1, 1});
    uint16_t codes16[3] = {};
    uint8_t codes8[3] = {};
    EXPECT_RAISES(v.ToUInt16(nullptr, two, two), KrErrArgErr);
    EXPECT_RAISES(v.ToUInt16(codes16, two, three), KrErrArgErr);
    EXPECT_RAISES(v.ToUInt8(codes8, three, two), KrErrArgErr);
    EXPECT_RAISES(v.FromUInt16(nullptr, two, two), KrErrArgErr);
    EXPECT_RAISES(v.FromUInt8(codes8, two, three), KrErrArgErr);
    EXPECT_EQ(Elements(v), Values({0.5, 0.5}));
}

TEST(KrVectorTest, ExpandingMapsCodesOntoTheBounds)
{
    KrVector v(0, kTagRGB);
    const uint16_t codes16[] = {0, 32768, 65535};
    v.FromUInt16(codes16, MakeVector({0, 0, 10}), MakeVector({1, 2, 20}));
    EXPECT_EQ(v.GetType(), kTagRGB);
    EXPECT_EQ(v.GetSize(), 3);
    EXPECT_EQ(v.Get(0), 0.0);
    EXPECT_DOUBLE_EQ(v.Get(1), 2.0 * 32768 / 65535);
    EXPECT_EQ(v.Get(2), 20.0);

    const uint8_t codes8[] = {255, 0};
    v.FromUInt8(codes8, MakeVector({-1, -1}), MakeVector({1, 1}));
    EXPECT_EQ(Elements(v), Values({1, -1}));

    // Every 8-bit code survives expanding and quantising again.
    uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    KrVector bounds0(256), bounds1(256);
    bounds1.Fill(1.0);
    v.FromUInt8(all, bounds0, bounds1);
    uint8_t back[256] = {};
    v.ToUInt8(back, bounds0, bounds1);
    EXPECT_EQ(std::memcmp(all, back, sizeof all), 0);
}

TEST(KrVectorTest, FromTextStopsAtTheFirstNonNumber)
{
    KrVector v = MakeVector({9, 9, 9, 9}, kTagRGB);
    v.FromText("0.5 1e-3 x 7");
    ASSERT_EQ(v.GetSize(), 2);
    EXPECT_EQ(v.Get(0), 0.5);
    EXPECT_EQ(v.Get(1), 0.0010000000474974513); // read as a 32-bit float
    EXPECT_EQ(v.GetType(), kTagRGB);

    const std::pair<const char*, Values> cases[] = {
        {"", {}},
        {"   \n\t ", {}},
        {"x 1 2", {}},
        {"  -2.5\n+3\t4e1 ", {-2.5, 3, 40}},
        {"1,2", {1}},
        {"0.1", {static_cast<double>(0.1f)}},
        {"123456789", {123456792.0}},
    };
    for (const auto& c : cases)
    {
        v.FromText(c.first);
        EXPECT_EQ(Elements(v), c.second) << '"' << c.first << '"';
    }
}

TEST(KrVectorTest, FromTextStopsAtAZeroByteInsideTheText)
{
    KrVector v;
    v.FromText(KrString("1 2\0 3", 6, true));
    EXPECT_EQ(Elements(v), Values({1, 2}));
}

TEST(KrVectorTest, ToTextPrintsEveryElementWithTheFormat)
{
    const KrVector v = MakeVector({0.25, -1, 1e6});
    EXPECT_EQ(v.ToText(), KrString("0.250000 -1.000000 1000000.000000 "));
    EXPECT_EQ(v.ToText("%g;"), KrString("0.25;-1;1e+06;"));
    KrVector back;
    back.FromText(v.ToText());
    EXPECT_EQ(back, v);
}

TEST(KrVectorTest, WideElementsArePrintedWhole)
{
    const KrVector huge = MakeVector({1e300, -1e300});
    const KrString text = huge.ToText();
    EXPECT_GT(text.Length(), 2 * 300);
    EXPECT_EQ(std::string(text.Text()).substr(0, 4), "1000");
    const KrString wide = MakeVector({1.0}).ToText("%1500f|");
    EXPECT_EQ(wide.Length(), 1501);
    EXPECT_EQ(std::string(wide.Text()).substr(1492), "1.000000|");
}

TEST(KrVectorTest, EqualityComparesElementsNotTags)
{
    EXPECT_TRUE(MakeVector({1, 2, 3}, kTagRGB) == MakeVector({1, 2, 3}, 0));
    EXPECT_FALSE(MakeVector({1, 2}) == MakeVector({1, 2, 3}));
    EXPECT_TRUE(MakeVector({1, 2}) != MakeVector({1, 2.5}));
    EXPECT_FALSE(MakeVector({kNaN}) == MakeVector({kNaN}));
    const KrVector nan = MakeVector({kNaN});
    const KrVector shared(nan);
    EXPECT_TRUE(nan == shared); // one record
    EXPECT_TRUE(KrVector() == KrVector(0, kTagRGB));
}

TEST(KrVectorTest, ArithmeticTakesTheLeftOperandsSizeAndTag)
{
    const KrVector a = MakeVector({1, 2, 3}, kTagRGB);
    const KrVector b = MakeVector({0.5, -1, 4});
    const KrVector sum = a + b;
    EXPECT_EQ(Elements(sum), Values({1.5, 1, 7}));
    EXPECT_EQ(sum.GetType(), kTagRGB);
    EXPECT_EQ(Elements(a - b), Values({0.5, 3, -1}));
    EXPECT_EQ((b - a).GetType(), 0);
    EXPECT_EQ(Elements(a * 2.0), Values({2, 4, 6}));
    EXPECT_EQ(Elements(0.5 * a), Values({0.5, 1, 1.5}));
    EXPECT_EQ((0.5 * a).GetType(), kTagRGB);
    EXPECT_EQ(Dot(a, b), 0.5 - 2 + 12);
    EXPECT_EQ(a.SquaredDistance(b), 0.25 + 9 + 1);
    EXPECT_DOUBLE_EQ(a.Distance(b), std::sqrt(10.25));
    EXPECT_EQ(Elements(a), Values({1, 2, 3}));

    KrVector accumulated(a);
    accumulated += accumulated;
    EXPECT_EQ(Elements(accumulated), Values({2, 4, 6}));
    EXPECT_EQ(Elements(a), Values({1, 2, 3}));
    EXPECT_EQ(KrVector().SquaredDistance(KrVector()), 0.0);
}

TEST(KrVectorTest, PairwiseOperationsRaiseOnDifferentSizes)
{
    KrVector a = MakeVector({1, 2, 3});
    const KrVector b = MakeVector({1, 2});
    EXPECT_RAISES(a.SquaredDistance(b), KrErrDimMismatch);
    EXPECT_RAISES(a.Distance(b), KrErrDimMismatch);
    EXPECT_RAISES(a += b, KrErrDimMismatch);
    EXPECT_RAISES(Dot(a, b), KrErrDimMismatch);
    EXPECT_RAISES(a + b, KrErrDimMismatch);
    EXPECT_RAISES(a - b, KrErrDimMismatch);
    EXPECT_RAISES(a.SquaredDistance(KrVector()), KrErrDimMismatch);
    EXPECT_EQ(Elements(a), Values({1, 2, 3}));
}
}
