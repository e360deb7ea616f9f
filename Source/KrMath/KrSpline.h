// A curve through a sequence of points of any dimension, evaluated at a parameter from 0 to 1.
// Splines are values.
#pragma once

#include "KrMath/KrMatrix.h"
#include "KrMath/KrVector.h"

class KrSpline
{
public:
    virtual ~KrSpline() = default;
    // The point at parameter t: one element per row of points, tagged like points.
    virtual KrVector Evaluate(double t) const = 0;

    const KrMatrix& Points() const { return points; }

protected:
    KrSpline() = default;
    explicit KrSpline(const KrMatrix& points) : points(points) {}
    KrSpline(const KrSpline&) = default;
    KrSpline& operator=(const KrSpline&) = default;

    // One column per point, one row per coordinate.
    KrMatrix points;
};

// The point of the line through a and b that is nearest to c (a itself when a and b
// coincide), tagged like a.
KrVector KrProjectOnLine(const KrVector& a, const KrVector& b, const KrVector& c);
