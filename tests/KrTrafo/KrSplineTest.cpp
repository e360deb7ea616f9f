#include "KrMath/KrBezierSpline.h"
#include "KrMath/KrSmoothSpline.h"

#include "../KrCore/KrExpectError.h"
#include "KrTrafoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr int32_t kTagRGB = 0x52474220;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

void ExpectNear(const KrVector& actual, const Values& expected, double tolerance, const char* what)
{
    ASSERT_EQ(actual.GetSize(), int32_t(expected.size())) << what;
    for (int32_t i = 0; i < actual.GetSize(); ++i)
        EXPECT_NEAR(actual.Get(i), expected[size_t(i)], tolerance) << what << ", element " << i;
}

TEST(KrProjectOnLineTest, FindsTheNearestPointOfTheLine)
{
    const KrVector foot = KrProjectOnLine(MakeVector({0, 0}, kTagRGB), MakeVector({2, 0}), MakeVector({1.5, 5}));
    EXPECT_EQ(Elements(foot), Values({1.5, 0}));
    EXPECT_EQ(foot.GetType(), kTagRGB);
    // Beyond the ends the line goes on.
    EXPECT_EQ(Elements(KrProjectOnLine(MakeVector({0, 0}), MakeVector({1, 1}), MakeVector({3, 3}))), Values({3, 3}));
    // A line of one point is that point.
    EXPECT_EQ(Elements(KrProjectOnLine(MakeVector({1, 2}), MakeVector({1, 2}), MakeVector({5, 5}))), Values({1, 2}));
    EXPECT_RAISES(KrProjectOnLine(MakeVector({0, 0}), MakeVector({1, 1, 1}), MakeVector({1, 1})), KrErrDimMismatch);
}

TEST(KrSmoothSplineTest, PassesThroughItsPointsAndClampsT)
{
    const KrSmoothSpline spline(MakePoints({{0, 0}, {0.5, 0.8}, {1, 1}}, kTagRGB));
    const struct
    {
        double t;
        Values expected;
    } cases[] = {
        {0.5, {0.5, 0.8}}, {0, {0, 0}}, {1, {1, 1}}, {-1, {0, 0}}, {2, {1, 1}},
        {-kInfinity, {0, 0}}, {kInfinity, {1, 1}}, {kNaN, {0, 0}},
    };
    for (const auto& c : cases)
    {
        const KrVector point = spline.Evaluate(c.t);
        EXPECT_EQ(Elements(point), c.expected) << "t = " << c.t;
        EXPECT_EQ(point.GetType(), kTagRGB);
    }
}

TEST(KrSmoothSplineTest, BendsTowardsTheSideOfEachEndPoint)
{
    // Worked by hand: the foot of (0.5, 0.8) on the chord y = x is (0.65, 0.65), so each half
    // bends by (-0.15, 0.15) times f(1 - f)^2 or (1 - f)f^2.
    const KrSmoothSpline arch(MakePoints({{0, 0}, {0.5, 0.8}, {1, 1}}));
    ExpectNear(arch.Evaluate(0.25), {0.25 - 0.15 / 8, 0.4 + 0.15 / 8}, 1e-12, "t = 0.25");
    ExpectNear(arch.Evaluate(0.125), {0.125 - 0.15 * 0.75 * 0.0625, 0.2 + 0.15 * 0.75 * 0.0625}, 1e-12, "t = 0.125");
    ExpectNear(arch.Evaluate(0.625), {0.625 - 0.15 * 0.25 * 0.5625, 0.85 + 0.15 * 0.25 * 0.5625}, 1e-12, "t = 0.625");

    // An inner segment of a zigzag gets both corrections: +1 times f(1 - f)^2 from its first
    // point, -1 times (1 - f)f^2 from its second.
    const KrSmoothSpline zigzag(MakePoints({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}}));
    ExpectNear(zigzag.Evaluate(0.3125), {1.25, 0.75 + 0.25 * 0.5625 - 0.75 * 0.0625}, 1e-12, "zigzag t = 0.3125");
    for (int32_t k = 0; k < 5; ++k)
        ExpectNear(zigzag.Evaluate(k / 4.0), {double(k), double(k % 2)}, 1e-12, "zigzag point");
}

TEST(KrSmoothSplineTest, PointsOnALineGiveThatLine)
{
    // Unevenly spaced points of y = 2x + 1.
    const KrSmoothSpline line(MakePoints({{0, 1}, {0.1, 1.2}, {0.5, 2}, {0.6, 2.2}, {2, 5}}));
    for (double t = 0; t <= 1; t += 1.0 / 64)
    {
        const KrVector point = line.Evaluate(t);
        EXPECT_NEAR(point.Get(1), 2 * point.Get(0) + 1, 1e-12) << "t = " << t;
    }
    // Between its points it runs straight from one to the next.
    ExpectNear(line.Evaluate(0.5 * 0.25), {0.05, 1.1}, 1e-12, "first segment");
}

TEST(KrSmoothSplineTest, OnePointOrNone)
{
    KrSmoothSpline spline(MakePoints({{3, 4, 5}}));
    for (const double t : {-1.0, 0.0, 0.3, 1.0, 2.0, kNaN})
        EXPECT_EQ(Elements(spline.Evaluate(t)), Values({3, 4, 5})) << "t = " << t;
    spline.SetPoints(KrMatrix());
    EXPECT_EQ(spline.Evaluate(0.5).GetSize(), 0);
    spline.SetPoints(KrMatrix(2, 0));
    EXPECT_EQ(spline.Evaluate(0.5).GetSize(), 0);
}

TEST(KrSmoothSplineTest, SharesThePointMatrix)
{
    const KrMatrix points = MakePoints({{0}, {1}});
    const KrSmoothSpline spline(points);
    EXPECT_EQ(spline.Points().Data(), points.Data());
}

TEST(KrBezierSplineTest, ApproximateBuildsTheControlPoints)
{
    KrBezierSpline spline;
    const KrMatrix data = MakePoints({{0, 0}, {3, 6}, {6, 0}, {9, 3}}, kTagRGB);
    spline.Approximate(data);
    const KrMatrix& control = spline.Points();
    ASSERT_EQ(control.GetColumns(), 10);
    ASSERT_EQ(control.GetRows(), 2);
    EXPECT_EQ(control.GetType(), kTagRGB);
    // Junctions (D[p-1] + 4 D[p] + D[p+1]) / 6, legs split in thirds, ends on the data.
    const Values x = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Values y = {0, 2, 4, 4, 4, 2, 1.5, 1, 2, 3};
    for (int32_t c = 0; c < 10; ++c)
    {
        EXPECT_NEAR(control.Get(0, c), x[size_t(c)], 1e-12) << "column " << c;
        EXPECT_NEAR(control.Get(1, c), y[size_t(c)], 1e-12) << "column " << c;
    }
}

TEST(KrBezierSplineTest, EvaluateOfThreePoints)
{
    KrBezierSpline spline;
    spline.Approximate(MakePoints({{0, 0}, {0.5, 0.8}, {1, 1}}, kTagRGB));
    EXPECT_EQ(spline.Points().GetColumns(), 7);
    ExpectNear(spline.Evaluate(0), {0, 0}, 0, "t = 0");
    ExpectNear(spline.Evaluate(1), {1, 1}, 0, "t = 1");
    ExpectNear(spline.Evaluate(0.5), {(0 + 4 * 0.5 + 1) / 6.0, (0 + 4 * 0.8 + 1) / 6.0}, 1e-15, "t = 0.5");
    EXPECT_EQ(spline.Evaluate(0.3).GetType(), kTagRGB);
    // The middle of the first segment, (C0 + 3 C1 + 3 C2 + C3) / 8 with the y control points
    // 0, 0.8 / 3, 1.6 / 3 and 0.7.
    EXPECT_NEAR(spline.Evaluate(0.25).Get(1), 0.3875, 1e-15);
}

TEST(KrBezierSplineTest, RefusesTooFewPointsAndParametersOutside0To1)
{
    KrBezierSpline spline;
    EXPECT_RAISES(spline.Evaluate(0.5), KrErrArgErr);
    for (const int32_t points : {0, 1, 2})
        EXPECT_RAISES(spline.Approximate(KrMatrix(2, points)), KrErrArgErr) << points << " points";
    EXPECT_RAISES(spline.Interpolate(KrMatrix(2, 2), 1e-5), KrErrArgErr);
    // Too many points for the control point columns to be counted.
    EXPECT_RAISES(spline.Approximate(KrMatrix(0, 0x7FFFFFFF)), KrErrArgErr);

    spline.Approximate(MakePoints({{0}, {1}, {2}}));
    for (const double t : {-0.001, 1.001, kNaN, kInfinity, -kInfinity})
        EXPECT_RAISES(spline.Evaluate(t), KrErrArgErr) << "t = " << t;
}

TEST(KrBezierSplineTest, InterpolatePassesWithinToleranceOfEveryPoint)
{
    KrBezierSpline arch;
    arch.Interpolate(MakePoints({{0, 0}, {0.5, 0.8}, {1, 1}}), 1e-5);
    EXPECT_LE(arch.Evaluate(0.5).Distance(MakeVector({0.5, 0.8})), 1e-5);

    // A measured tone curve, as the linearization curves fit them.
    const int32_t count = 9;
    KrMatrix data(2, count);
    for (int32_t p = 0; p < count; ++p)
    {
        const double x = p / double(count - 1);
        data.At(0, p) = x;
        data.At(1, p) = std::pow(x, 2.2) + 0.01 * std::sin(7 * x);
    }
    for (const double tolerance : {1e-3, 1e-5, KrBezierSpline::kMinTolerance})
    {
        KrBezierSpline curve;
        curve.Interpolate(data, tolerance);
        for (int32_t p = 0; p < count; ++p)
            EXPECT_LE(curve.Evaluate(p / double(count - 1)).Distance(data.GetColumnVector(p)), tolerance) << "point " << p;
    }
}

TEST(KrBezierSplineTest, ToleranceBelowTheLimitIsRefused)
{
    const KrMatrix data = MakePoints({{0, 0}, {0.5, 0.8}, {1, 1}});
    KrBezierSpline spline;
    for (const double tolerance : {1e-6, 0.0, -1.0, kNaN})
        EXPECT_RAISES(spline.Interpolate(data, tolerance), KrErrArgErr) << tolerance;
    spline.Interpolate(data, 1.28e-6);
    EXPECT_LE(spline.Evaluate(0.5).Distance(MakeVector({0.5, 0.8})), 1.28e-6);
}

// Their distances are not numbers, which never meet a tolerance: the passes run into their
// bound instead of handing back control points that are not numbers.
TEST(KrBezierSplineTest, PointsThatCannotBeMetRaiseAndLeaveTheSpline)
{
    const struct
    {
        const char* what;
        KrMatrix data;
    } cases[] = {
        {"overflowing junction", MakePoints({{0, 0}, {0.5, 1e308}, {1, 0}})},
        {"not a number", MakePoints({{0, 0}, {0.5, kNaN}, {1, 1}})},
        {"infinite", MakePoints({{0, 0}, {0.5, kInfinity}, {1, 1}})},
    };
    for (const auto& c : cases)
    {
        KrBezierSpline spline;
        spline.Approximate(MakePoints({{0}, {1}, {2}}));
        EXPECT_RAISES(spline.Interpolate(c.data, KrBezierSpline::kMinTolerance), KrErrArgErr) << c.what;
        EXPECT_EQ(spline.Points().GetColumns(), 7) << c.what;
        EXPECT_EQ(Elements(spline.Evaluate(1)), Values({2})) << c.what;
    }
}
}
