#include "KrMath/KrCurveLinearization.h"

#include "../KrCore/KrExpectError.h"
#include "KrCurveTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();
const int32_t kLowestCode = std::numeric_limits<int32_t>::min();

// L* = 116 (Y/100)^(1/3) - 16 above the knee, L* = (29/3)^3 Y/100 below it.
const double kLstarOf50 = std::pow(66.0 / 116.0, 3.0); // Y/100 whose L* is 50
const double kLstarLinearSlope = std::pow(29.0 / 3.0, 3.0) / 100.0;
const double kSRGBOfHalf = std::pow(0.555 / 1.055, 2.4); // linear value of sRGB 0.5

TEST(KrCurveLinearizationTest, ForwardGivesTheValueOfEachKind)
{
    const struct
    {
        const char* kind;
        KrCurveLinearization curve;
        double x;
        double expected;
    } cases[] = {
        {"identity", KrCurveLinearization(), 0.3, 0.3},
        {"identity", KrCurveLinearization(), -7.5, -7.5},
        {"gamma 2.2", GammaCurve(2.2), 0.5, std::pow(0.5, 2.2)},
        {"gamma 2.2", GammaCurve(2.2), -0.5, -std::pow(0.5, 2.2)},
        {"gamma 2.2", GammaCurve(2.2), 0, 0},
        {"gamma 2", GammaCurve(2), 0.5, 0.25},
        {"gamma 2", GammaCurve(2), -0.5, -0.25},
        {"gamma 1", GammaCurve(1), -0.7, -0.7},
        {"gamma 1", GammaCurve(1), 3, 3},
        {"gamma 0.5", GammaCurve(0.5), 0.25, 0.5},
        {"gamma 0.5", GammaCurve(0.5), -0.25, -0.5},
        {"table", CurveOf({0, 0.25, 1}), 0.25, 0.125},
        {"table", CurveOf({0, 0.25, 1}), 0.75, 0.625},
        {"table", CurveOf({0, 0.25, 1}), -1, 0},
        {"table", CurveOf({0, 0.25, 1}), 2, 1},
        {"L*", GammaCurve(0), 1, 1},
        {"L*", GammaCurve(0), 0, 0},
        {"L*", GammaCurve(0), 0.5, kLstarOf50},
        {"L*", GammaCurve(0), 0.05, 0.05 / kLstarLinearSlope},
        {"L* inverse", CurveWithCode(KrCurveCodeLstarInverse), kLstarOf50, 0.5},
        {"L* inverse", CurveWithCode(KrCurveCodeLstarInverse), 0.008856451679, 0.08},
        {"L* inverse", CurveWithCode(KrCurveCodeLstarInverse), 1, 1},
        {"sRGB", GammaCurve(-4), 0.03, 0.03 / 12.92},
        {"sRGB", GammaCurve(-4), 0.039279, 0.039279 / 12.92},
        {"sRGB", GammaCurve(-4), 0.03928, std::pow((0.03928 + 0.055) / 1.055, 2.4)},
        {"sRGB", GammaCurve(-4), 0.5, kSRGBOfHalf},
        {"sRGB", GammaCurve(-4), 1, 1},
        {"sRGB inverse", GammaCurve(-5), 0.002, 0.02584},
        {"sRGB inverse", GammaCurve(-5), 0.003039, 12.92 * 0.003039},
        {"sRGB inverse", GammaCurve(-5), 0.00304, 1.055 * std::pow(0.00304, 1 / 2.4) - 0.055},
        {"sRGB inverse", GammaCurve(-5), kSRGBOfHalf, 0.5},
        {"sRGB inverse", GammaCurve(-5), 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(c.curve.Forward(c.x), c.expected, 1e-12) << c.kind << " at " << c.x;
}

TEST(KrCurveLinearizationTest, InverseUndoesForward)
{
    const Values inside = {0, 0.001, 0.02, 0.1, 0.25, 0.5, 0.9, 1};
    const Values withNegatives = {-2, -0.5, -0.01, 0, 0.01, 0.3, 0.5, 1, 1.7};
    const struct
    {
        const char* kind;
        KrCurveLinearization curve;
        const Values& xs;
    } cases[] = {
        {"identity", KrCurveLinearization(), withNegatives},
        {"gamma 2.2", GammaCurve(2.2), withNegatives},
        {"gamma 2", GammaCurve(2), withNegatives},
        {"gamma 1", GammaCurve(1), withNegatives},
        {"gamma 0.45", GammaCurve(0.45), withNegatives},
        {"table", CurveOf({0, 0.25, 1}), inside},
        {"falling table", CurveOf({1, 0.6, 0}), inside},
        {"L*", GammaCurve(0), inside},
        {"L* inverse", CurveWithCode(KrCurveCodeLstarInverse), inside},
        {"sRGB", GammaCurve(-4), inside},
        {"sRGB inverse", GammaCurve(-5), inside},
    };
    for (const auto& c : cases)
    {
        for (double x : c.xs)
            EXPECT_NEAR(c.curve.Inverse(c.curve.Forward(x)), x, 1e-12) << c.kind << " at " << x;
    }
}

TEST(KrCurveLinearizationTest, NamedCurvesInvertThroughTheirPartner)
{
    const struct
    {
        int32_t code;
        int32_t partner;
    } pairs[] = {
        {KrCurveCodeLstar, KrCurveCodeLstarInverse},
        {KrCurveCodeLstarInverse, KrCurveCodeLstar},
        {KrCurveCodeSRGB, KrCurveCodeSRGBInverse},
        {KrCurveCodeSRGBInverse, KrCurveCodeSRGB},
    };
    for (const auto& pair : pairs)
    {
        const KrCurveLinearization curve = CurveWithCode(pair.code);
        const KrCurveLinearization partner = CurveWithCode(pair.partner);
        for (double y : {-0.1, 0.0, 0.003, 0.0392, 0.2, 0.7, 1.0})
            EXPECT_EQ(curve.Inverse(y), partner.Forward(y)) << "code " << pair.code << " at " << y;
    }
}

TEST(KrCurveLinearizationTest, InvalidCurvesRaiseAndStayAsTheyWere)
{
    const struct
    {
        const char* what;
        KrCurveLinearization curve;
    } cases[] = {
        {"code -1", CurveWithCode(-1)},
        {"code -6", CurveWithCode(-6)},
        {"lowest code", CurveWithCode(kLowestCode)},
        {"exponent 0", CurveOf({0})},
        {"exponent -2", CurveOf({-2})},
        {"exponent NaN", CurveOf({kNaN})},
    };
    for (auto c : cases)
    {
        SCOPED_TRACE(c.what);
        const KrVector before = c.curve.GetSamples();
        EXPECT_RAISES(c.curve.Forward(0.5), KrErrArgErr);
        EXPECT_RAISES(c.curve.Inverse(0.5), KrErrArgErr);
        EXPECT_RAISES(c.curve.Invert(), KrErrArgErr);
        EXPECT_RAISES(c.curve.Resample(16), KrErrArgErr);
        EXPECT_RAISES(c.curve.Compose(GammaCurve(2), 16), KrErrArgErr);
        EXPECT_EQ(c.curve.GetSamples().GetSize(), before.GetSize());
        EXPECT_EQ(c.curve.GetSamples().Data(), before.Data());
        EXPECT_FALSE(c.curve.IsIdentity());
        EXPECT_FALSE(c.curve.IsGamma());
    }
}

TEST(KrCurveLinearizationTest, SetCurveGammaRoundsNegativeGammasToCodes)
{
    const struct
    {
        double gamma;
        int32_t dimension;
    } cases[] = {
        {0, KrCurveCodeLstar}, {-2, KrCurveCodeLstar}, {-3, KrCurveCodeLstarInverse}, {-4, KrCurveCodeSRGB},
        {-4.4, KrCurveCodeSRGB}, {-4.5, KrCurveCodeSRGBInverse}, {-4.6, KrCurveCodeSRGBInverse},
        {-5, KrCurveCodeSRGBInverse}, {-1, -1}, {-1.5, -2}, {-6, -6}, {-0.4, 0}, {-1e300, kLowestCode},
        {-kInfinity, kLowestCode},
    };
    for (const auto& c : cases)
    {
        KrCurveLinearization curve = GammaCurve(2.2);
        curve.SetCurveGamma(c.gamma);
        EXPECT_EQ(curve.GetSamples().GetSize(), c.dimension) << "gamma " << c.gamma;
    }
    for (double invalid : {-1.0, -6.0, -100.0})
        EXPECT_RAISES(GammaCurve(invalid).Forward(0.5), KrErrArgErr);

    for (double gamma : {2.2, 1e-3, kInfinity})
    {
        const KrCurveLinearization curve = GammaCurve(gamma);
        EXPECT_EQ(Elements(curve.GetSamples()), Values({gamma}));
        EXPECT_TRUE(curve.IsGamma());
    }

    KrCurveLinearization kept = GammaCurve(1.8);
    EXPECT_RAISES(kept.SetCurveGamma(kNaN), KrErrArgErr);
    EXPECT_EQ(Elements(kept.GetSamples()), Values({1.8}));
}

TEST(KrCurveLinearizationTest, SetGammaByMidpointFindsThePowerThroughHalf)
{
    for (double mid : {0.25, 0.5, 0.2140, 0.9})
    {
        KrCurveLinearization curve;
        curve.SetGammaByMidpoint(mid);
        ASSERT_TRUE(curve.IsGamma()) << "mid " << mid;
        EXPECT_NEAR(curve.Forward(0.5), mid, 1e-15) << "mid " << mid;
    }
    KrCurveLinearization square;
    square.SetGammaByMidpoint(0.25);
    EXPECT_NEAR(square.GetSamples().Get(0), 2.0, 1e-15);

    // No power curve passes through these: they would select L*, a code or an infinite exponent.
    for (double mid : {0.0, 1.0, 4.0, 16.0, -0.5, kNaN})
    {
        KrCurveLinearization curve = GammaCurve(1.8);
        EXPECT_RAISES(curve.SetGammaByMidpoint(mid), KrErrArgErr);
        EXPECT_EQ(Elements(curve.GetSamples()), Values({1.8})) << "mid " << mid;
    }
}

TEST(KrCurveLinearizationTest, IdentityAndGammaTests)
{
    KrCurveLinearization reset = GammaCurve(2.2);
    reset.SetIdentity();
    const struct
    {
        const char* what;
        KrCurveLinearization curve;
        bool identity;
        bool gamma;
    } cases[] = {
        {"new", KrCurveLinearization(), true, false},
        {"set to identity", reset, true, false},
        {"gamma 1", GammaCurve(1), true, true},
        {"gamma 1 + 1e-9", GammaCurve(1 + 1e-9), true, true},
        {"gamma 1.001", GammaCurve(1.001), false, true},
        {"straight table", CurveOf({0, 0.5, 1}), true, false},
        {"table 5e-9 off", CurveOf({0, 0.5 + 5e-9, 1}), true, false},
        {"table 2e-8 off", CurveOf({0, 0.5 + 2e-8, 1}), false, false},
        {"table with NaN", CurveOf({0, kNaN, 1}), false, false},
        {"L*", GammaCurve(0), false, false},
        {"sRGB", GammaCurve(-4), false, false},
        {"invalid code", GammaCurve(-1), false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.curve.IsIdentity(), c.identity) << c.what;
        EXPECT_EQ(c.curve.IsGamma(), c.gamma) << c.what;
    }
    EXPECT_EQ(KrCurveLinearization().Forward(0.3), 0.3);
}

TEST(KrCurveLinearizationTest, SamplesAreSharedValues)
{
    KrVector table = MakeVector({0, 0.25, 1});
    KrCurveLinearization curve;
    curve.SetSamples(table);
    EXPECT_EQ(curve.GetSamples().Data(), table.Data());

    table.At(1) = 0.75; // the curve keeps its own values
    EXPECT_EQ(curve.Forward(0.5), 0.25);

    KrCurveLinearization copy = curve;
    copy.SetCurveGamma(2);
    EXPECT_EQ(curve.Forward(0.5), 0.25);
    EXPECT_EQ(copy.Forward(0.5), 0.25);
    EXPECT_TRUE(copy.IsGamma());
}

TEST(KrCurveLinearizationTest, ResampleTurnsEveryKindIntoATable)
{
    const struct
    {
        const char* kind;
        KrCurveLinearization curve;
    } cases[] = {
        {"identity", KrCurveLinearization()}, {"gamma 2.2", GammaCurve(2.2)}, {"table", CurveOf({0, 0.25, 1})},
        {"L*", GammaCurve(0)},                {"sRGB", GammaCurve(-4)},      {"sRGB inverse", GammaCurve(-5)},
    };
    for (const auto& c : cases)
    {
        KrCurveLinearization table = c.curve;
        table.Resample(5);
        Values expected;
        for (int i = 0; i < 5; ++i)
            expected.push_back(c.curve.Forward(i / 4.0));
        SCOPED_TRACE(c.kind);
        ExpectTable(table, expected, 0);
    }

    KrCurveLinearization gamma = GammaCurve(2.2);
    gamma.Resample(256);
    const KrVector samples = gamma.GetSamples();
    ASSERT_EQ(samples.GetSize(), 256);
    EXPECT_EQ(samples.Get(0), 0);
    EXPECT_EQ(samples.Get(255), 1);
    EXPECT_DOUBLE_EQ(samples.Get(128), std::pow(128 / 255.0, 2.2));

    // The same count again keeps the very samples.
    gamma.Resample(256);
    EXPECT_EQ(gamma.GetSamples().Data(), samples.Data());

    for (int32_t count : {1, 0, -2, -5})
    {
        KrCurveLinearization curve = GammaCurve(2.2);
        EXPECT_RAISES(curve.Resample(count), KrErrArgErr);
        EXPECT_TRUE(curve.IsGamma()) << "count " << count;
    }
}

TEST(KrCurveLinearizationTest, InvertGivesTheInverseOfEachKind)
{
    const struct
    {
        const char* kind;
        KrCurveLinearization curve;
        int32_t invertedDimension;
    } cases[] = {
        {"identity", KrCurveLinearization(), 0},
        {"gamma 2.2", GammaCurve(2.2), 1},
        {"gamma 0.5", GammaCurve(0.5), 1},
        {"L*", GammaCurve(0), KrCurveCodeLstarInverse},
        {"L* inverse", CurveWithCode(KrCurveCodeLstarInverse), KrCurveCodeLstar},
        {"sRGB", GammaCurve(-4), KrCurveCodeSRGBInverse},
        {"sRGB inverse", GammaCurve(-5), KrCurveCodeSRGB},
        {"three samples", CurveOf({0, 0.25, 1}), 4096},
        {"falling table", CurveOf({1, 0.5, 0.2, 0}), 4096},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.kind);
        KrCurveLinearization inverted = c.curve;
        inverted.Invert();
        EXPECT_EQ(inverted.GetSamples().GetSize(), c.invertedDimension);
        // A table's inverse is sampled on 4096 points: off them, near a bend, it is linear.
        const double tolerance = c.invertedDimension > 1 ? 2e-4 : 1e-12;
        for (double y : {0.0, 0.01, 0.125, 0.3, 0.5, 0.8, 1.0})
            EXPECT_NEAR(inverted.Forward(y), c.curve.Inverse(y), tolerance) << "at " << y;
    }

    KrCurveLinearization srgb = GammaCurve(-4);
    srgb.Invert();
    EXPECT_DOUBLE_EQ(srgb.Forward(0.002), 0.02584);

    KrVector large(5000);
    for (int32_t i = 0; i < 5000; ++i)
        large.At(i) = std::pow(i / 4999.0, 2.0);
    KrCurveLinearization fine;
    fine.SetSamples(large);
    fine.Invert();
    EXPECT_EQ(fine.GetSamples().GetSize(), 5000);
    EXPECT_NEAR(fine.Forward(0.25), 0.5, 1e-4);
}

TEST(KrCurveLinearizationTest, ComposeAppliesTheOuterCurveAfterThisOne)
{
    KrCurveLinearization identity = GammaCurve(2);
    identity.Compose(GammaCurve(0.5), 0);
    EXPECT_EQ(identity.GetSamples().GetSize(), 256);
    EXPECT_TRUE(identity.IsIdentity());

    const struct
    {
        const char* what;
        KrCurveLinearization inner;
        int32_t count;
        int32_t dimension;
    } cases[] = {
        {"identity, no count", KrCurveLinearization(), 0, 256},
        {"identity, 10", KrCurveLinearization(), 10, 10},
        {"gamma, count 1", GammaCurve(1.8), 1, 256},
        {"L*, 33", GammaCurve(0), 33, 33},
        {"two samples, 2", CurveOf({0.2, 0.9}), 2, 256},
        {"three samples, no count", CurveOf({0, 0.25, 1}), 0, 3},
        {"three samples, 2", CurveOf({0, 0.25, 1}), 2, 3},
        {"three samples, 20", CurveOf({0, 0.25, 1}), 20, 20},
    };
    const KrCurveLinearization outer = GammaCurve(2.2);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        KrCurveLinearization composed = c.inner;
        composed.Compose(outer, c.count);
        const int32_t n = composed.GetSamples().GetSize();
        ASSERT_EQ(n, c.dimension);
        for (int32_t i = 0; i < n; ++i)
        {
            const double x = double(i) / (n - 1);
            EXPECT_NEAR(composed.GetSamples().Get(i), outer.Forward(c.inner.Forward(x)), 1e-12) << "sample " << i;
        }
    }

    // A curve composed with itself applies itself twice.
    KrCurveLinearization square = GammaCurve(2);
    square.Compose(square, 5);
    ExpectTable(square, {0, std::pow(0.25, 4), std::pow(0.5, 4), std::pow(0.75, 4), 1}, 1e-15);

    KrCurveLinearization kept = GammaCurve(2);
    EXPECT_RAISES(kept.Compose(GammaCurve(-7), 0), KrErrArgErr);
    EXPECT_TRUE(kept.IsGamma());
}

TEST(KrCurveLinearizationTest, TextRoundTrips)
{
    const KrCurveLinearization gamma = GammaCurve(2.2);
    EXPECT_STREQ(gamma.ToText().Text(), "2.200000 ");
    KrCurveLinearization read = GammaCurve(-4);
    read.FromText(gamma.ToText());
    ASSERT_TRUE(read.IsGamma());
    EXPECT_EQ(read.GetSamples().Get(0), double(2.2f)); // read as a 32-bit float

    EXPECT_STREQ(GammaCurve(-4).ToText().Text(), "");
    read.FromText(GammaCurve(-4).ToText());
    EXPECT_EQ(read.GetSamples().GetSize(), 0);
    EXPECT_TRUE(read.IsIdentity());

    const KrCurveLinearization table = CurveOf({0, 0.1, 0.25, 1});
    EXPECT_STREQ(table.ToText("%.2f,").Text(), "0.00,0.10,0.25,1.00,");
    read.FromText(table.ToText("%.9g "));
    ExpectTable(read, {0, double(0.1f), 0.25, 1}, 0);

    const struct
    {
        const char* text;
        Values samples;
    } texts[] = {
        {"abc", {}},
        {"0.5 x 7", {0.5}},
        {"  1 2\t3\n", {1, 2, 3}},
        {"-2", {-2}},
    };
    for (const auto& t : texts)
    {
        read.FromText(t.text);
        EXPECT_EQ(Elements(read.GetSamples()), t.samples) << t.text;
    }
}
}
