#include "KrMath/KrBezierSpline.h"

#include "KrCore/KrError.h"

#include <cmath>
#include <cstdint>

namespace
{
// The uniform cubic B-spline whose control polygon is the data, its ends fixed to the first and
// last data points, as Bezier control points: b - 1 segments, 3b - 2 columns.
KrMatrix ApproximateControlPoints(const KrMatrix& data)
{
    const int32_t b = data.GetColumns();
    if (b < 3 || int64_t(3) * b - 2 > INT32_MAX)
        KR_RAISE(KrErrArgErr);
    const int32_t rows = data.GetRows();
    KrMatrix control(rows, 3 * b - 2, data.GetType());
    for (int32_t r = 0; r < rows; ++r)
    {
        control.At(r, 0) = data.Get(r, 0);
        control.At(r, 3 * b - 3) = data.Get(r, b - 1);
        for (int32_t p = 0; p + 1 < b; ++p)
        {
            const double from = data.Get(r, p);
            const double to = data.Get(r, p + 1);
            control.At(r, 3 * p + 1) = (2 * from + to) / 3;
            control.At(r, 3 * p + 2) = (from + 2 * to) / 3;
        }
        for (int32_t p = 1; p + 1 < b; ++p)
            control.At(r, 3 * p) = (data.Get(r, p - 1) + 4 * data.Get(r, p) + data.Get(r, p + 1)) / 6;
    }
    return control;
}

// Moves each inner junction onto its data point, with the control points beside it (so the
// tangent there stays), the next inner points by half and the neighbouring junctions by a
// quarter. The end columns never move.
void AdjustJunctions(KrMatrix& control, const KrMatrix& data)
{
    const int32_t last = control.GetColumns() - 4; // the last inner junction
    for (int32_t r = 0; r < control.GetRows(); ++r)
    {
        for (int32_t c = 3; c <= last; c += 3)
        {
            const double d = data.Get(r, c / 3) - control.Get(r, c);
            if (c != 3)
                control.At(r, c - 3) += d / 4;
            control.At(r, c - 2) += d / 2;
            control.At(r, c + 2) += d / 2;
            control.At(r, c - 1) += d;
            control.At(r, c) += d;
            control.At(r, c + 1) += d;
            if (c != last)
                control.At(r, c + 3) += d / 4;
        }
    }
}

// Whether every inner data point lies within tolerance of its junction. A distance that is not
// a number never does.
bool JunctionsMeetData(const KrMatrix& control, const KrMatrix& data, double tolerance)
{
    for (int32_t p = 1; p + 1 < data.GetColumns(); ++p)
    {
        double squaredDistance = 0;
        for (int32_t r = 0; r < data.GetRows(); ++r)
        {
            const double d = data.Get(r, p) - control.Get(r, 3 * p);
            squaredDistance += d * d;
        }
        if (!(std::sqrt(squaredDistance) <= tolerance))
            return false;
    }
    return true;
}
}

KrVector KrBezierSpline::Evaluate(double t) const
{
    const int32_t segments = (points.GetColumns() - 1) / 3;
    if (segments < 2)
        KR_RAISE(KrErrArgErr);
    if (!(t >= 0 && t <= 1))
        KR_RAISE(KrErrArgErr);
    int32_t k = static_cast<int32_t>(t * segments);
    if (k == segments)
        k = segments - 1;
    const int32_t j = 3 * k;
    const double u = t * segments - k;
    const double v = 1 - u;
    const int32_t rows = points.GetRows();
    KrVector result(rows, points.GetType());
    for (int32_t i = 0; i < rows; ++i)
    {
        const double c0 = points.Get(i, j);
        const double c1 = points.Get(i, j + 1);
        const double c2 = points.Get(i, j + 2);
        const double c3 = points.Get(i, j + 3);
        // v^3 c0 + 3 v^2 u c1 + 3 v u^2 c2 + u^3 c3
        result.At(i) = (3 * v * c2 + u * c3) * u * u + (v * c0 + 3 * u * c1) * v * v;
    }
    return result;
}

void KrBezierSpline::Approximate(const KrMatrix& data)
{
    points = ApproximateControlPoints(data);
}

void KrBezierSpline::Interpolate(const KrMatrix& data, double tolerance)
{
    if (!(tolerance >= kMinTolerance))
        KR_RAISE(KrErrArgErr);
    KrMatrix control = ApproximateControlPoints(data);
    for (int pass = 0; pass < kMaxPasses; ++pass)
    {
        AdjustJunctions(control, data);
        if (JunctionsMeetData(control, data, tolerance))
        {
            points = control;
            return;
        }
    }
    KR_RAISE(KrErrArgErr);
}
