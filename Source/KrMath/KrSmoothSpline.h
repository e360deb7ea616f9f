// A spline through every one of its points: linear between two points, bent towards the side
// on which each end point lies off the chord of its own neighbours.
#pragma once

#include "KrMath/KrSpline.h"

class KrSmoothSpline : public KrSpline
{
public:
    // Shares the storage of points.
    explicit KrSmoothSpline(const KrMatrix& points) : KrSpline(points) {}

    // t is clamped into 0..1 (NaN counts as 0). No points give an empty vector.
    KrVector Evaluate(double t) const override;
    virtual void SetPoints(const KrMatrix& newPoints);
};
