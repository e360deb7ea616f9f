#include "KrMath/KrICCParametricCurve.h"

#include "../KrCore/KrExpectError.h"
#include "KrTrafoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

// g, a, b, c, d of the sRGB tone curve.
const Values kSRGB = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

KrVector Params(const Values& values)
{
    return KrVector(static_cast<int32_t>(values.size()), 0, values.data());
}

TEST(KrICCParametricCurveTest, EachTypeAndBranch)
{
    const struct
    {
        const char* what;
        unsigned type;
        Values params;
        double x;
        double expected;
    } cases[] = {
        {"type 0", 0, {2.2}, 0.5, std::pow(0.5, 2.2)},
        {"type 0 at 1", 0, {2.2}, 1, 1},
        {"type 0 at 0", 0, {2.2}, 0, 0},
        {"sRGB linear part", 3, kSRGB, 0.04, 0.04 / 12.92},
        {"sRGB power part", 3, kSRGB, 0.5, std::pow((0.5 + 0.055) / 1.055, 2.4)},
        {"sRGB at 1", 3, kSRGB, 1, 1},
        {"type 1 below -b/a", 1, {1, 2, -1}, 0.25, 0},
        {"type 1 above -b/a", 1, {1, 2, -1}, 0.75, 0.5},
        {"type 1 with a = 0", 1, {1, 0, 0.3}, 0.1, 0.3},
        {"type 2 clamped to 1", 2, {1, 1, 0, 0.5}, 0.8, 1},
        {"type 2 above -b/a", 2, {1, 1, 0, 0.5}, 0.2, 0.7},
        {"type 2 below -b/a is c", 2, {1, 2, -1, 0.1}, 0.25, 0.1},
        {"type 2 clamped to 0", 2, {1, 1, 0, -0.5}, 0.2, 0},
        {"type 3 below d", 3, {1, 1, 0, 0.5, 0.5}, 0.25, 0.125},
        {"type 4 below d", 4, {1, 1, 0, 0.5, 0.5, 0.1, 0.05}, 0.25, 0.175},
        {"type 4 above d", 4, {1, 1, 0, 0.5, 0.5, 0.1, 0.05}, 0.75, 0.85},
        {"surplus parameters are ignored", 0, {2, 9, 9, 9}, 0.5, 0.25},
        {"infinite exponent", 0, {kInfinity}, 0.5, 0},
        {"infinite slope", 3, {1, kInfinity, 0, 0, 0}, 0.5, 1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(KrCalcICCParametricCurve(c.type, Params(c.params), c.x), c.expected, 1e-15) << c.what;
}

TEST(KrICCParametricCurveTest, BadInputRaises)
{
    const struct
    {
        const char* what;
        unsigned type;
        Values params;
        double x;
        KrErrorKind error;
    } cases[] = {
        {"x above 1", 0, {2.2}, 1.0001, KrErrOutOfRange},
        {"x below 0", 0, {2.2}, -0.0001, KrErrOutOfRange},
        {"x not a number", 0, {2.2}, kNaN, KrErrOutOfRange},
        {"x infinite", 3, kSRGB, kInfinity, KrErrOutOfRange},
        {"negative base", 3, {1, -1, 0.5, 0, 0}, 0.9, KrErrOutOfRange},
        {"negative base with a = 0", 1, {1, 0, -0.5}, 0.5, KrErrOutOfRange},
        {"base not a number", 3, {1, kInfinity, 0, 0, 0}, 0, KrErrOutOfRange},
        {"exponent not a number", 0, {kNaN}, 0.5, KrErrOutOfRange},
        {"linear part not a number", 3, {1, 1, 0, kNaN, 0.5}, 0.25, KrErrOutOfRange},
        {"offset not a number", 4, {1, 1, 0, 0, 0, kNaN, 0}, 0.5, KrErrOutOfRange},
        {"type 4 with one parameter", 4, {1}, 0.5, KrErrIndexError},
        {"type 4 with six parameters", 4, {1, 1, 0, 0.5, 0.5, 0.1}, 0.75, KrErrIndexError},
        {"type 0 without parameters", 0, {}, 0.5, KrErrIndexError},
        {"type 3 with four parameters", 3, {1, 1, 0, 0.5}, 0.5, KrErrIndexError},
        {"type 5", 5, kSRGB, 0.5, KrErrArgErr},
        {"type 5 without parameters", 5, {}, 0.5, KrErrArgErr},
        {"type -1", static_cast<unsigned>(-1), kSRGB, 0.5, KrErrArgErr},
        {"type 5 with x out of range", 5, kSRGB, 2, KrErrOutOfRange},
    };
    for (const auto& c : cases)
        EXPECT_RAISES(KrCalcICCParametricCurve(c.type, Params(c.params), c.x), c.error) << c.what;
}
}
