#include "KrMath/KrSmoothSpline.h"

KrVector KrSmoothSpline::Evaluate(double t) const
{
    const int32_t m = points.GetColumns();
    if (m <= 0)
        return KrVector(0, points.GetType());
    if (m == 1 || !(t > 0))
        return points.GetColumnVector(0);
    if (t >= 1)
        return points.GetColumnVector(m - 1);

    const double s = t * (m - 1);
    const int32_t k = static_cast<int32_t>(s); // below m - 1, as t is below 1
    const double f = s - k;
    const KrVector p0 = points.GetColumnVector(k);
    const KrVector p1 = points.GetColumnVector(k + 1);
    KrVector r = p0 + f * (p1 - p0);
    if (k >= 1)
    {
        // How far p0 lies off the chord of its neighbours, faded out towards p1: f(1 - f)^2.
        const KrVector foot = KrProjectOnLine(points.GetColumnVector(k - 1), p1, p0);
        r += (f - 2 * f * f + f * f * f) * (p0 - foot);
    }
    if (k + 2 < m)
    {
        // The same for p1, faded out towards p0: (1 - f)f^2.
        const double g = 1 - f;
        const KrVector foot = KrProjectOnLine(points.GetColumnVector(k + 2), p0, p1);
        r += (g - 2 * g * g + g * g * g) * (p1 - foot);
    }
    return r;
}

void KrSmoothSpline::SetPoints(const KrMatrix& newPoints)
{
    points = newPoints;
}
