// The curves built from measurements, parametric curves, splines and colour ramps.
#include "KrMath/KrCurveLinearization.h"

#include "../KrCore/KrExpectError.h"
#include "KrCurveTestSupport.h"
#include "KrMath/KrTrafo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A table of count samples, none of them NaN.
void ExpectDefinedTable(const KrCurveLinearization& curve, int32_t count)
{
    const KrVector samples = curve.GetSamples();
    ASSERT_EQ(samples.GetSize(), count);
    for (int32_t i = 0; i < count; ++i)
        EXPECT_FALSE(std::isnan(samples.Get(i))) << "sample " << i;
}

TEST(KrCurveFitTest, FitLocalGammaUniformReproducesAPowerCurve)
{
    KrCurveLinearization curve;
    curve.FitLocalGammaUniform(MakeVector({0, std::pow(0.25, 2.2), std::pow(0.5, 2.2), std::pow(0.75, 2.2), 1}), 9);
    Values expected;
    for (int i = 0; i < 9; ++i)
        expected.push_back(std::pow(i / 8.0, 2.2));
    ExpectTable(curve, expected, 1e-12);

    // One or no measurement is taken as the samples themselves, and so are two.
    curve.FitLocalGammaUniform(MakeVector({1.8}), 16);
    EXPECT_TRUE(curve.IsGamma());
    curve.FitLocalGammaUniform(KrVector(), 16);
    EXPECT_TRUE(curve.IsIdentity());
    curve.FitLocalGammaUniform(MakeVector({0.1, 0.9}), 16);
    EXPECT_EQ(Elements(curve.GetSamples()), Values({0.1, 0.9}));
}

TEST(KrCurveFitTest, FitLocalGammaMeetsEveryMeasurementAndRisesToTheLargest)
{
    // Measured at 0, 0.25, 0.5 and 1; the largest value is 1.2 and stays unclamped.
    const KrVector xs = MakeVector({0, 0.25, 0.5, 1});
    const KrVector ys = MakeVector({0.01, 0.08, 0.27, 1.2});
    KrCurveLinearization curve;
    curve.FitLocalGamma(xs, ys, 5);
    // Beyond the last inner point the exponent of 0.5 holds.
    const double g2 = std::log(0.27 / 1.2) / std::log(0.5);
    ExpectTable(curve, {0, 0.08, 0.27, 1.2 * std::pow(0.75, g2), 1.2}, 1e-12);
    EXPECT_EQ(Elements(xs), Values({0, 0.25, 0.5, 1})); // inputs untouched

    // Up to two points are the samples as they are.
    curve.FitLocalGamma(MakeVector({0, 1}), MakeVector({0.2, 0.7, 0.9}), 16);
    EXPECT_EQ(Elements(curve.GetSamples()), Values({0.2, 0.7, 0.9}));
}

TEST(KrCurveFitTest, FitQuadraticBendMeetsEveryMeasurementAndClamps)
{
    const struct
    {
        Values ys;
        Values expected;
    } cases[] = {
        // Bends g1 = (0.1 - 0.225) / 0.1875 and g2 = (0.3 - 0.45) / 0.25 = -0.6 above the line 0.9 x.
        {{0, 0.1, 0.3, 0.9}, {0, 0.1, 0.3, 0.1875 * -0.6 + 0.675, 0.9}},
        // The line 1.5 x passes 1: clamped.
        {{0, 0.2, 0.6, 1.5}, {0, 0.2, 0.6, 1, 1}},
    };
    for (const auto& c : cases)
    {
        KrCurveLinearization curve;
        curve.FitQuadraticBend(MakeVector({0, 0.25, 0.5, 1}), KrVector(4, 0, c.ys.data()), 5);
        ExpectTable(curve, c.expected, 1e-12);
    }
}

TEST(KrCurveFitTest, SetFromPointsJoinsThePointsByStraightLines)
{
    const struct
    {
        Values xs;
        Values ys;
        int32_t count;
        Values expected;
    } cases[] = {
        {{0, 0.5, 1}, {0, 0.8, 1}, 5, {0, 0.4, 0.8, 0.9, 1}},
        {{0, 0.2, 1}, {0, 0.5, 1}, 6, {0, 0.5, 0.625, 0.75, 0.875, 1}},
        // Paired by relative position: two xs over five ys.
        {{0, 1}, {0, 0.1, 0.2, 0.5, 1}, 5, {0, 0.1, 0.2, 0.5, 1}},
        {{0, 0.5, 1}, {-0.5, 0.5, 1.5}, 3, {0, 0.5, 1}},
    };
    for (const auto& c : cases)
    {
        KrCurveLinearization curve;
        curve.SetFromPoints(KrVector(int32_t(c.xs.size()), 0, c.xs.data()), KrVector(int32_t(c.ys.size()), 0, c.ys.data()),
                            c.count);
        ExpectTable(curve, c.expected, 1e-12);
    }
}

TEST(KrCurveFitTest, SetFromICCParametricSamplesTheCurve)
{
    const KrVector srgb = MakeVector({2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
    KrCurveLinearization curve;
    curve.SetFromICCParametric(3, srgb, 256);
    ASSERT_EQ(curve.GetSamples().GetSize(), 256);
    for (int32_t i : {0, 1, 10, 11, 128, 200, 255})
    {
        const double x = i / 255.0;
        const double expected = x >= 0.04045 ? std::pow((x + 0.055) / 1.055, 2.4) : x / 12.92;
        EXPECT_NEAR(curve.GetSamples().Get(i), expected, 1e-12) << "sample " << i;
    }

    curve.SetFromICCParametric(0, MakeVector({2.2}), 3);
    ExpectTable(curve, {0, std::pow(0.5, 2.2), 1}, 1e-15);

    const struct
    {
        int32_t type;
        KrVector params;
        KrErrorKind error;
    } failures[] = {
        {5, MakeVector({1, 1, 1, 1, 1, 1, 1}), KrErrArgErr},
        {-1, MakeVector({1, 1, 1, 1, 1, 1, 1}), KrErrArgErr},
        {4, MakeVector({2.2}), KrErrIndexError},
        {3, MakeVector({1, -1, 0.5, 0, 0}), KrErrOutOfRange}, // -0.4 under the power at x = 0.9
    };
    for (const auto& f : failures)
    {
        KrCurveLinearization kept = GammaCurve(1.8);
        EXPECT_RAISES(kept.SetFromICCParametric(f.type, f.params, 11), f.error);
        EXPECT_TRUE(kept.IsGamma()) << "type " << f.type;
    }
}

TEST(KrCurveFitTest, FitSplineThroughThePoints)
{
    // Points on y = x give the identity whatever the spline.
    for (int32_t kind : {0, 1, 2, 3})
    {
        KrCurveLinearization curve;
        curve.FitSpline(MakeVector({0, 0.3, 0.6, 1}), MakeVector({0, 0.3, 0.6, 1}), kind, 64);
        EXPECT_EQ(curve.GetSamples().GetSize(), 64);
        EXPECT_TRUE(curve.IsIdentity()) << "kind " << kind;
    }

    // (0, 0), (0.5, 0.8), (1, 1) at three samples: the smooth spline and the interpolating one
    // pass through the middle point, the approximating one through (D0 + 4 D1 + D2) / 6.
    const struct
    {
        int32_t kind;
        double middle;
        double tolerance;
    } middles[] = {{0, 0.8, 1e-12}, {3, 0.8, 1e-12}, {1, 0.7, 1e-12}, {2, 0.8, 1e-4}};
    for (const auto& m : middles)
    {
        KrCurveLinearization curve;
        curve.FitSpline(MakeVector({0, 0.5, 1}), MakeVector({0, 0.8, 1}), m.kind, 3);
        ExpectTable(curve, {0, m.middle, 1}, m.tolerance);
    }

    KrCurveLinearization clamped;
    clamped.FitSpline(MakeVector({0, 0.5, 1}), MakeVector({-0.2, 0.5, 1.3}), 0, 3);
    ExpectTable(clamped, {0, 0.5, 1}, 1e-12);

    // Two points: straight lines, whatever the kind.
    KrCurveLinearization lines;
    lines.FitSpline(MakeVector({0, 1}), MakeVector({0.2, 0.6}), 4, 3);
    ExpectTable(lines, {0.2, 0.4, 0.6}, 1e-12);

    for (int32_t kind : {4, -1})
    {
        KrCurveLinearization kept = GammaCurve(1.8);
        EXPECT_RAISES(kept.FitSpline(MakeVector({0, 0.5, 1}), MakeVector({0, 0.8, 1}), kind, 3), KrErrArgErr);
        EXPECT_TRUE(kept.IsGamma()) << "kind " << kind;
    }
    KrCurveLinearization curve;
    EXPECT_RAISES(curve.FitSpline(MakeVector({0, 0.5, 1}), MakeVector({0, 0.5, 0.8, 1}), 0, 3), KrErrIndexError);
}

// Squares every element: a gamma of 2 on each channel.
class SquaringTrafo : public KrTrafo
{
public:
    KrVector Transform(const KrVector& in) const override
    {
        KrVector out = in;
        for (int32_t i = 0; i < out.GetSize(); ++i)
            out.At(i) = in.Get(i) * in.Get(i);
        return out;
    }
};

// Every colour becomes the same one.
class ConstantTrafo : public KrTrafo
{
public:
    KrVector Transform(const KrVector&) const override { return MakeVector({0.3, 0.3}); }
};

TEST(KrCurveFitTest, SetFromColorRampFollowsTheTransformedRamp)
{
    const KrVector black = MakeVector({0, 0, 0});
    const KrVector white = MakeVector({1, 1, 1});
    const SquaringTrafo squaring;
    KrCurveLinearization curve;
    curve.SetFromColorRamp(squaring, black, white, 0, 11);
    Values expected;
    for (int i = 0; i <= 10; ++i)
        expected.push_back(i * i / 100.0);
    ExpectTable(curve, expected, 1e-12);

    for (int32_t count : {1, 0, -4})
    {
        curve.SetFromColorRamp(squaring, black, white, 0, count);
        EXPECT_EQ(curve.GetSamples().GetSize(), 256) << "count " << count;
        // 0.5 lies between two samples of x^2: linear there, within (1/255)^2 / 4.
        EXPECT_NEAR(curve.Forward(0.5), 0.25, 4e-6);
    }

    // Nothing travels: the position on the ramp is taken.
    curve.SetFromColorRamp(ConstantTrafo(), black, white, 0, 11);
    EXPECT_TRUE(curve.IsIdentity());
    curve.SetFromColorRamp(KrTrafo(), black, white, 1, 11);
    EXPECT_TRUE(curve.IsIdentity());

    KrCurveLinearization kept = GammaCurve(1.8);
    EXPECT_RAISES(kept.SetFromColorRamp(squaring, black, white, 4, 11), KrErrArgErr);
    EXPECT_RAISES(kept.SetFromColorRamp(squaring, black, MakeVector({1, 1}), 0, 11), KrErrDimMismatch);
    EXPECT_TRUE(kept.IsGamma());
}

TEST(KrCurveFitTest, TableBuildersRefuseCountsBelowTwo)
{
    const KrVector xs = MakeVector({0, 0.5, 1});
    const KrVector ys = MakeVector({0, 0.3, 1});
    const std::function<void(KrCurveLinearization&, int32_t)> builders[] = {
        [&](KrCurveLinearization& c, int32_t n) { c.FitLocalGammaUniform(ys, n); },
        [&](KrCurveLinearization& c, int32_t n) { c.FitLocalGamma(xs, ys, n); },
        [&](KrCurveLinearization& c, int32_t n) { c.FitQuadraticBend(xs, ys, n); },
        [&](KrCurveLinearization& c, int32_t n) { c.SetFromPoints(xs, ys, n); },
        [&](KrCurveLinearization& c, int32_t n) { c.SetFromICCParametric(0, MakeVector({2.2}), n); },
        [&](KrCurveLinearization& c, int32_t n) { c.FitSpline(xs, ys, 0, n); },
        [&](KrCurveLinearization& c, int32_t n) { c.FitSpline(MakeVector({0, 1}), ys, 0, n); },
    };
    for (const auto& build : builders)
    {
        for (int32_t count : {1, 0, -3})
        {
            KrCurveLinearization curve = GammaCurve(1.8);
            EXPECT_RAISES(build(curve, count), KrErrArgErr);
            EXPECT_TRUE(curve.IsGamma()) << "count " << count;
        }
        KrCurveLinearization curve;
        build(curve, 2);
        EXPECT_EQ(curve.GetSamples().GetSize(), 2);
    }
}

TEST(KrCurveFitTest, DegenerateMeasurementsGiveATableOrAnError)
{
    using Fit = void (KrCurveLinearization::*)(const KrVector&, const KrVector&, int32_t);
    const Fit localGamma = &KrCurveLinearization::FitLocalGamma;
    const Fit bend = &KrCurveLinearization::FitQuadraticBend;
    const Fit points = &KrCurveLinearization::SetFromPoints;
    const KrErrorKind* defined = nullptr;
    const struct
    {
        const char* what;
        Fit fit;
        KrVector xs;
        KrVector ys;
        const KrErrorKind* error;
    } cases[] = {
        {"gamma, all x equal", localGamma, MakeVector({0.5, 0.5, 0.5}), MakeVector({0.2, 0.25, 0.3}), defined},
        {"gamma, all x 0", localGamma, MakeVector({0, 0, 0}), MakeVector({0.2, 0.25, 0.3}), &KrErrArgErr},
        {"gamma, all x 1", localGamma, MakeVector({1, 1, 1}), MakeVector({0.2, 0.25, 0.3}), &KrErrArgErr},
        {"gamma, only ends", localGamma, MakeVector({0, 0, 1, 1}), MakeVector({0, 0, 1, 1}), &KrErrArgErr},
        {"gamma, ys of zeros", localGamma, MakeVector({0, 0.5, 1}), MakeVector({0, 0, 0}), &KrErrArgErr},
        {"gamma, negative ys", localGamma, MakeVector({0, 0.5, 1}), MakeVector({-1, -0.5, -0.2}), &KrErrArgErr},
        {"gamma, inner y of 0", localGamma, MakeVector({0, 0.5, 1}), MakeVector({0, 0, 1}), &KrErrArgErr},
        {"gamma, inner y NaN", localGamma, MakeVector({0, 0.5, 1}), MakeVector({0, kNaN, 1}), &KrErrArgErr},
        {"gamma, xs not monotone", localGamma, MakeVector({0, 0.6, 0.3, 1}), MakeVector({0, 0.4, 0.1, 1}), defined},
        {"gamma, inner x of 1", localGamma, MakeVector({0.2, 1, 0.5, 0.8}), MakeVector({0.1, 1, 0.3, 0.6}), &KrErrArgErr},
        {"gamma, ys too short", localGamma, MakeVector({0, 0.5, 0.7, 1}), MakeVector({0, 0.3, 1}), &KrErrIndexError},
        {"bend, ys of zeros", bend, MakeVector({0, 0.5, 1}), MakeVector({0, 0, 0}), defined},
        {"bend, all x equal", bend, MakeVector({0.5, 0.5, 0.5}), MakeVector({0.2, 0.25, 0.3}), defined},
        {"bend, all x 0", bend, MakeVector({0, 0, 0}), MakeVector({0.2, 0.25, 0.3}), &KrErrArgErr},
        {"bend, inner x of 0", bend, MakeVector({0.2, 0, 0.5, 1}), MakeVector({0.1, 0, 0.3, 1}), &KrErrArgErr},
        {"bend, ys too short", bend, MakeVector({0, 0.5, 0.7, 1}), MakeVector({0, 0.3, 1}), &KrErrIndexError},
        {"points, all x equal", points, MakeVector({0.5, 0.5, 0.5}), MakeVector({0.1, 0.2, 0.3}), defined},
        {"points, xs not monotone", points, MakeVector({0, 0.7, 0.2, 1}), MakeVector({0, 0.5, 0.6, 1}), defined},
        {"points, NaN y", points, MakeVector({0, 0.5, 1}), MakeVector({0, kNaN, 1}), &KrErrArgErr},
        {"points, no ys", points, MakeVector({0, 0.5, 1}), KrVector(), &KrErrDimMismatch},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        KrCurveLinearization curve = GammaCurve(1.8);
        if (c.error != nullptr)
        {
            EXPECT_RAISES((curve.*c.fit)(c.xs, c.ys, 17), *c.error);
            EXPECT_TRUE(curve.IsGamma());
        }
        else
        {
            (curve.*c.fit)(c.xs, c.ys, 17);
            ExpectDefinedTable(curve, 17);
        }
    }

    // All equal xs: the local exponent of each point, and the largest y at 1.
    KrCurveLinearization flat;
    flat.FitLocalGamma(MakeVector({0.5, 0.5, 0.5}), MakeVector({0.2, 0.25, 0.3}), 3);
    EXPECT_NEAR(flat.Forward(1), 0.3, 1e-15);
    KrCurveLinearization zeros;
    zeros.FitQuadraticBend(MakeVector({0, 0.5, 1}), MakeVector({0, 0, 0}), 5);
    ExpectTable(zeros, {0, 0, 0, 0, 0}, 0);
    KrCurveLinearization splined;
    splined.FitSpline(MakeVector({0.5, 0.5, 0.5}), MakeVector({0.1, 0.2, 0.3}), 2, 9);
    ExpectDefinedTable(splined, 9);
}
}
