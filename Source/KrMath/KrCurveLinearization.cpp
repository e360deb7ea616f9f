#include "KrMath/KrCurveLinearization.h"

#include "KrCore/KrError.h"
#include "KrMath/KrBezierSpline.h"
#include "KrMath/KrICCParametricCurve.h"
#include "KrMath/KrMatrix.h"
#include "KrMath/KrSmoothSpline.h"
#include "KrMath/KrTrafo.h"

#include <cmath>
#include <limits>
#include <memory>

namespace
{
// CIE lightness: the cube-root segment and the straight segment near black.
const double kLstarEpsilon = 0.008856451679;    // (6/29)^3
const double kLstarOneThird = 0.3333333333333333;
const double kLstarSlope = 7.787037037037037;   // (29/6)^2 / 3
const double kLstarOffset = 0.13793103448275862; // 4/29
const double kLstarKnee = 0.20689655172413793;   // 6/29
const double kLstarInverseSlope = 0.12841854934601665; // 3 (6/29)^2

// sRGB: the straight segment near black and the power segment above.
const double kSRGBDecodeKnee = 0.03928;
const double kSRGBEncodeKnee = 0.00304;
const double kSRGBSlope = 12.92;
const double kSRGBOffset = 0.055;
const double kSRGBScale = 1.055;
const double kSRGBGamma = 2.4;
const double kSRGBInverseGamma = 0.4166666666666667;

// Tables and exponents within this of the identity count as the identity.
const double kIdentityTolerance = 1e-8;
// Inverted tables get at least this many samples.
const int32_t kInvertedTableSize = 4096;
// The table Compose makes of a curve that is not a table of three or more samples.
const int32_t kComposeTableSize = 256;
// The table SetFromColorRamp makes when given no count.
const int32_t kColorRampTableSize = 256;
// How close an interpolating Bezier fit must pass every point.
const double kSplineTolerance = 1e-5;

enum SplineKind : unsigned
{
    kSplineSmooth = 0,
    kSplineApproximate = 1,
    kSplineInterpolate = 2,
    kSplineSmoothToo = 3,
};

double LstarToLinear(double x)
{
    return KrLstarToY(100.0 * x) * 0.01;
}

double LinearToLstar(double x)
{
    return KrYToLstar(100.0 * x) * 0.01;
}

double SRGBToLinear(double x)
{
    return x < kSRGBDecodeKnee ? x / kSRGBSlope : std::pow((x + kSRGBOffset) / kSRGBScale, kSRGBGamma);
}

double LinearToSRGB(double x)
{
    return x < kSRGBEncodeKnee ? kSRGBSlope * x : kSRGBScale * std::pow(x, kSRGBInverseGamma) - kSRGBOffset;
}

// The exponent of a power curve; evaluating needs one above 0.
double ValidExponent(const KrVector& samples)
{
    const double e = samples.Data()[0];
    if (!(e > 0.0))
        KR_RAISE(KrErrArgErr);
    return e;
}

// x^e, odd-symmetric around 0.
double Power(double x, double e)
{
    if (e == 1.0)
        return x;
    if (e == 2.0)
        return x * std::fabs(x);
    return x < 0.0 ? -std::pow(-x, e) : std::pow(x, e);
}

double InversePower(double y, double e)
{
    if (e == 1.0)
        return y;
    if (e == 2.0)
        return std::copysign(std::sqrt(std::fabs(y)), y);
    return y < 0.0 ? -std::pow(-y, 1.0 / e) : std::pow(y, 1.0 / e);
}

double Clamped01(double value)
{
    // NaN passes, for the caller to refuse.
    return value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
}

// A curve code: a dimension without elements.
KrVector NamedCurve(int32_t code)
{
    KrVector named;
    named.SetSize(code);
    return named;
}

void CheckTableCount(int32_t count)
{
    if (count < 2)
        KR_RAISE(KrErrArgErr);
}

// The fitted range of the local fits: from the first x above 0 to the last x below 1, with
// local(x, y) at each point of it and the ends extended with the nearest fitted value. A
// point of the range whose x is not inside 0..1 (xs not monotone) has no local value.
template <class Local>
KrVector LocalValues(const KrVector& xs, const KrVector& ys, Local local)
{
    const int32_t m = xs.GetSize();
    if (ys.GetSize() < m)
        KR_RAISE(KrErrIndexError);
    int32_t lo = 0;
    while (lo < m && !(xs.Get(lo) > 0.0))
        ++lo;
    int32_t hi = m - 1;
    while (hi >= 0 && !(xs.Get(hi) < 1.0))
        --hi;
    if (lo > hi)
        KR_RAISE(KrErrArgErr);

    KrVector g(m);
    for (int32_t k = lo; k <= hi; ++k)
    {
        const double x = xs.Get(k);
        if (!(x > 0.0 && x < 1.0))
            KR_RAISE(KrErrArgErr);
        g.At(k) = local(x, ys.Get(k));
    }
    for (int32_t k = 0; k < lo; ++k)
        g.At(k) = g.Get(lo);
    for (int32_t k = hi + 1; k < m; ++k)
        g.At(k) = g.Get(hi);
    return g;
}
}

double KrYToLstar(double y)
{
    const double t = y * 0.01;
    const double f = t > kLstarEpsilon ? std::pow(t, kLstarOneThird) : kLstarSlope * t + kLstarOffset;
    return 116.0 * f - 16.0;
}

double KrLstarToY(double lstar)
{
    const double f = (lstar + 16.0) / 116.0;
    return f > kLstarKnee ? 100.0 * f * f * f : 100.0 * kLstarInverseSlope * (f - kLstarOffset);
}

KrCurveLinearization::~KrCurveLinearization() = default;

double KrCurveLinearization::Forward(double x) const
{
    const int32_t n = samples.GetSize();
    if (n >= 2)
        return samples.Sample(x);
    switch (n)
    {
    case 1:
        return Power(x, ValidExponent(samples));
    case 0:
        return x;
    case KrCurveCodeLstar:
        return LstarToLinear(x);
    case KrCurveCodeLstarInverse:
        return LinearToLstar(x);
    case KrCurveCodeSRGB:
        return SRGBToLinear(x);
    case KrCurveCodeSRGBInverse:
        return LinearToSRGB(x);
    default:
        KR_RAISE(KrErrArgErr);
    }
}

double KrCurveLinearization::Inverse(double y) const
{
    const int32_t n = samples.GetSize();
    if (n >= 2)
        return samples.InverseSample(y);
    switch (n)
    {
    case 1:
        return InversePower(y, ValidExponent(samples));
    case 0:
        return y;
    case KrCurveCodeLstar:
        return LinearToLstar(y);
    case KrCurveCodeLstarInverse:
        return LstarToLinear(y);
    case KrCurveCodeSRGB:
        return LinearToSRGB(y);
    case KrCurveCodeSRGBInverse:
        return SRGBToLinear(y);
    default:
        KR_RAISE(KrErrArgErr);
    }
}

bool KrCurveLinearization::IsIdentity() const
{
    const int32_t n = samples.GetSize();
    if (n == 0)
        return true;
    if (n == 1)
        return std::fabs(samples.Get(0) - 1.0) < kIdentityTolerance;
    if (n < 0)
        return false;
    for (int32_t i = 0; i < n; ++i)
    {
        if (!(std::fabs(samples.Get(i) - double(i) / (n - 1)) <= kIdentityTolerance))
            return false;
    }
    return true;
}

void KrCurveLinearization::SetIdentity()
{
    samples = KrVector();
}

void KrCurveLinearization::SetSamples(const KrVector& v)
{
    samples = v;
}

KrVector KrCurveLinearization::GetSamples() const
{
    return samples;
}

void KrCurveLinearization::SetCurveGamma(double gamma)
{
    if (std::isnan(gamma))
        KR_RAISE(KrErrArgErr);
    if (gamma > 0.0)
    {
        samples = KrVector(1, 0, &gamma);
        return;
    }
    int32_t code = KrCurveCodeLstar;
    if (gamma < 0.0)
    {
        // Halves away from zero; far below every code the lowest value stays invalid.
        const double rounded = std::trunc(gamma - 0.5);
        const double lowest = std::numeric_limits<int32_t>::min();
        code = rounded < lowest ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(rounded);
    }
    samples = NamedCurve(code);
}

void KrCurveLinearization::SetGammaByMidpoint(double mid)
{
    if (!(mid > 0.0 && mid < 1.0))
        KR_RAISE(KrErrArgErr);
    SetCurveGamma(std::log(mid) / std::log(0.5));
}

void KrCurveLinearization::FitLocalGammaUniform(const KrVector& ys, int32_t count)
{
    CheckTableCount(count);
    const int32_t m = ys.GetSize();
    if (m <= 1)
    {
        samples = ys;
        return;
    }
    KrVector xs(m);
    for (int32_t i = 0; i < m; ++i)
        xs.At(i) = double(i) / (m - 1);
    FitLocalGamma(xs, ys, count);
}

void KrCurveLinearization::FitLocalGamma(const KrVector& xs, const KrVector& ys, int32_t count)
{
    CheckTableCount(count);
    if (xs.GetSize() <= 2)
    {
        samples = ys;
        return;
    }
    if (ys.GetSize() < xs.GetSize())
        KR_RAISE(KrErrIndexError);
    const double ymax = ys.Max();
    if (!(ymax > 0.0))
        KR_RAISE(KrErrArgErr);
    const KrVector g = LocalValues(xs, ys, [ymax](double x, double y) {
        if (!(y > 0.0))
            KR_RAISE(KrErrArgErr);
        return std::log(y / ymax) / std::log(x);
    });
    SetTable(count, [&](int32_t, double x) { return ymax * std::pow(x, g.Sample(xs.InverseSample(x))); });
}

void KrCurveLinearization::FitQuadraticBend(const KrVector& xs, const KrVector& ys, int32_t count)
{
    CheckTableCount(count);
    if (xs.GetSize() <= 2)
    {
        samples = ys;
        return;
    }
    if (ys.GetSize() < xs.GetSize())
        KR_RAISE(KrErrIndexError);
    const double ymax = ys.Max();
    const KrVector g = LocalValues(xs, ys, [ymax](double x, double y) { return (y - x * ymax) / (x - x * x); });
    SetTable(count, [&](int32_t, double x) {
        return Clamped01((x - x * x) * g.Sample(xs.InverseSample(x)) + x * ymax);
    });
}

void KrCurveLinearization::SetFromPoints(const KrVector& xs, const KrVector& ys, int32_t count)
{
    SetTable(count, [&](int32_t, double x) { return Clamped01(ys.Sample(xs.InverseSample(x))); });
}

void KrCurveLinearization::SetFromICCParametric(int32_t type, const KrVector& params, int32_t count)
{
    SetTable(count, [&](int32_t, double x) {
        return Clamped01(KrCalcICCParametricCurve(static_cast<unsigned>(type), params, x));
    });
}

void KrCurveLinearization::SetFromColorRamp(const KrTrafo& trafo, const KrVector& from, const KrVector& to,
                                            int32_t kind, int32_t count)
{
    if (count <= 1)
        count = kColorRampTableSize;
    const KrVector a = trafo.Transform(from);
    const KrVector b = trafo.Transform(to);
    KrVector xs(count);
    KrVector ys(count);
    for (int32_t i = 0; i < count; ++i)
    {
        const double t = double(i) / (count - 1);
        const KrVector mixed = trafo.Transform((1.0 - t) * from + t * to);
        const double da = mixed.Distance(a);
        const double db = mixed.Distance(b);
        xs.At(i) = t;
        // Both ends and the point coincide: nothing travelled, so the ramp position stands.
        ys.At(i) = da + db > 0.0 ? da / (da + db) : t;
    }
    FitSpline(xs, ys, kind, count);
}

void KrCurveLinearization::FitSpline(const KrVector& xs, const KrVector& ys, int32_t kind, int32_t count)
{
    const int32_t m = xs.GetSize();
    if (m < 3)
    {
        SetFromPoints(xs, ys, count);
        return;
    }
    CheckTableCount(count);
    KrMatrix points(2, m);
    points.SetRow(0, xs);
    points.SetRow(1, ys);

    const unsigned splineKind = static_cast<unsigned>(kind);
    std::unique_ptr<KrSpline> spline;
    switch (splineKind)
    {
    case kSplineSmooth:
    case kSplineSmoothToo:
        spline = std::make_unique<KrSmoothSpline>(points);
        break;
    case kSplineApproximate:
    case kSplineInterpolate:
    {
        auto bezier = std::make_unique<KrBezierSpline>();
        if (splineKind == kSplineApproximate)
            bezier->Approximate(points);
        else
            bezier->Interpolate(points, kSplineTolerance);
        spline = std::move(bezier);
        break;
    }
    default:
        KR_RAISE(KrErrArgErr);
    }

    KrVector pathX(count);
    KrVector pathY(count);
    for (int32_t i = 0; i < count; ++i)
    {
        const KrVector point = spline->Evaluate(double(i) / (count - 1));
        pathX.At(i) = point.Get(0);
        pathY.At(i) = point.Get(1);
    }
    SetTable(count, [&](int32_t, double x) { return Clamped01(pathY.Sample(pathX.InverseSample(x))); });
}

bool KrCurveLinearization::IsGamma() const
{
    return samples.GetSize() == 1 && samples.Get(0) > 0.0;
}

void KrCurveLinearization::Resample(int32_t count)
{
    CheckTableCount(count);
    if (count == samples.GetSize())
        return;
    SetTable(count, [this](int32_t, double x) { return Forward(x); });
}

void KrCurveLinearization::Invert()
{
    const int32_t n = samples.GetSize();
    switch (n)
    {
    case 0:
        return;
    case KrCurveCodeLstar:
    case KrCurveCodeLstarInverse:
    case KrCurveCodeSRGB:
    case KrCurveCodeSRGBInverse:
    {
        // The codes pair up as -2/-3 and -4/-5.
        samples = NamedCurve(n % 2 == 0 ? n - 1 : n + 1);
        return;
    }
    case 1:
    {
        const double inverse = 1.0 / ValidExponent(samples);
        samples = KrVector(1, 0, &inverse);
        return;
    }
    default:
        if (n < 0)
            KR_RAISE(KrErrArgErr);
        SetTable(n > kInvertedTableSize ? n : kInvertedTableSize, [this](int32_t, double y) { return Inverse(y); });
    }
}

void KrCurveLinearization::Compose(const KrLinearization& outer, int32_t count)
{
    // This curve keeps its samples until the table is complete, so outer may be this curve.
    KrCurveLinearization inner = *this;
    const int32_t n = samples.GetSize();
    if (count > 1 && count > n)
        inner.Resample(count);
    else if (n < 3)
        inner.Resample(kComposeTableSize);
    const KrVector innerTable = inner.samples;
    SetTable(innerTable.GetSize(), [&](int32_t i, double) { return outer.Forward(innerTable.Get(i)); });
}

KrString KrCurveLinearization::ToText(const char* format) const
{
    return samples.ToText(format);
}

void KrCurveLinearization::FromText(const KrString& text)
{
    samples.FromText(text);
}

template <class ValueAt>
void KrCurveLinearization::SetTable(int32_t count, ValueAt valueAt)
{
    CheckTableCount(count);
    KrVector table(count);
    for (int32_t i = 0; i < count; ++i)
    {
        const double value = valueAt(i, double(i) / (count - 1));
        if (std::isnan(value))
            KR_RAISE(KrErrArgErr);
        table.At(i) = value;
    }
    samples = table;
}
