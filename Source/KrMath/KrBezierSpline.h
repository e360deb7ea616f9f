// A sequence of cubic Bezier segments: columns 0, 3, 6, ... of points are the junctions, the two
// columns between two junctions the inner control points (3s + 1 columns for s segments).
#pragma once

#include "KrMath/KrSpline.h"

class KrBezierSpline : public KrSpline
{
public:
    KrBezierSpline() = default;

    // KrArgErr for fewer than two segments and for t outside 0..1 (NaN included).
    KrVector Evaluate(double t) const override;

    // Control points for the data points (columns of data, at least three): the curve passes
    // through the first and the last and near the others.
    void Approximate(const KrMatrix& data);
    // As Approximate, then the junctions are moved until every data point lies within
    // tolerance (at least kMinTolerance) of its junction. Points that cannot be met within
    // kMaxPasses adjustment passes raise KrArgErr and leave the spline as it was.
    void Interpolate(const KrMatrix& data, double tolerance);

    static constexpr double kMinTolerance = 1.28e-6;
    static constexpr int kMaxPasses = 10000;
};
