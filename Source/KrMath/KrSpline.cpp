#include "KrMath/KrSpline.h"

KrVector KrProjectOnLine(const KrVector& a, const KrVector& b, const KrVector& c)
{
    const KrVector d = b - a;
    const KrVector e = c - a;
    const double squaredLength = Dot(d, d);
    const double s = squaredLength > 0 ? Dot(e, d) / squaredLength : 0.0;
    return a + s * d;
}
