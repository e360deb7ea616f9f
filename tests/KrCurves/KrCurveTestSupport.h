// Shared pieces of the curve and colour linearization tests.
#pragma once

#include "../KrTrafo/KrTrafoTestSupport.h"
#include "KrMath/KrCurveLinearization.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

// A curve whose samples are values: one value is an exponent, more a table.
inline KrCurveLinearization CurveOf(std::initializer_list<double> values)
{
    KrCurveLinearization curve;
    curve.SetSamples(MakeVector(values));
    return curve;
}

// A curve whose samples have the dimension code and no elements.
inline KrCurveLinearization CurveWithCode(int32_t code)
{
    KrVector samples;
    samples.SetSize(code);
    KrCurveLinearization curve;
    curve.SetSamples(samples);
    return curve;
}

inline KrCurveLinearization GammaCurve(double gamma)
{
    KrCurveLinearization curve;
    curve.SetCurveGamma(gamma);
    return curve;
}

// The curve is a table of expected.size() samples, each within tolerance of the expected one.
inline void ExpectTable(const KrCurveLinearization& curve, const Values& expected, double tolerance)
{
    const KrVector samples = curve.GetSamples();
    ASSERT_EQ(samples.GetSize(), int32_t(expected.size()));
    for (int32_t i = 0; i < samples.GetSize(); ++i)
        EXPECT_NEAR(samples.Get(i), expected[size_t(i)], tolerance) << "sample " << i;
}
