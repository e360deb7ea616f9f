#include "KrMath/KrICCParametricCurve.h"

#include "KrCore/KrError.h"

#include <cmath>

namespace
{
// How many of the parameters g, a, b, c, d, e, f each function type reads.
const int kParameterCount[] = {1, 3, 4, 5, 7};
const unsigned kTypeCount = sizeof kParameterCount / sizeof kParameterCount[0];

struct Parameters
{
    double g, a, b, c, d, e, f;
};

Parameters ReadParameters(unsigned type, const KrVector& params)
{
    double values[7] = {};
    for (int i = 0; i < kParameterCount[type]; ++i)
        values[i] = params.Get(i);
    return {values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
}

// (a x + b)^g; the base must not be negative (nor a NaN).
double PowerOfLine(const Parameters& p, double x)
{
    const double base = p.a * x + p.b;
    if (!(base >= 0))
        KR_RAISE(KrErrOutOfRange);
    return std::pow(base, p.g);
}

// Types 1 and 2: the power where the line a x + b has reached 0, else 0.
double PowerFromIntercept(const Parameters& p, double x)
{
    return p.a == 0 || x >= -p.b / p.a ? PowerOfLine(p, x) : 0.0;
}

double Evaluate(unsigned type, const Parameters& p, double x)
{
    switch (type)
    {
    case 0:
        return std::pow(x, p.g);
    case 1:
        return PowerFromIntercept(p, x);
    case 2:
        return PowerFromIntercept(p, x) + p.c;
    case 3:
        return x >= p.d ? PowerOfLine(p, x) : p.c * x;
    default: // 4
        return x >= p.d ? PowerOfLine(p, x) + p.e : p.c * x + p.f;
    }
}
}

double KrCalcICCParametricCurve(unsigned type, const KrVector& params, double x)
{
    if (!(x >= 0 && x <= 1))
        KR_RAISE(KrErrOutOfRange);
    if (type >= kTypeCount)
        KR_RAISE(KrErrArgErr);
    const double y = Evaluate(type, ReadParameters(type, params), x);
    if (std::isnan(y))
        KR_RAISE(KrErrOutOfRange);
    return y < 0 ? 0.0 : y > 1 ? 1.0 : y;
}
