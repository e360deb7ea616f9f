// The one concrete tone curve. Its whole state is a samples vector whose dimension says what
// kind of curve it is:
//
//   0            identity
//   1            power curve, element 0 the exponent (valid when above 0)
//   2 or more    table, element i the value at x = i/(n - 1), linear in between
//   -2 .. -5     the named curves below (no elements)
//   other < 0    invalid: evaluating or inverting it raises KrArgErr
//
// Curves are values: copies share the samples until one of them changes.
//
// The table builders (the fits, SetFromPoints, SetFromICCParametric, FitSpline, Resample) make
// count samples, sample i at x = i/(count - 1); a count below 2 raises KrArgErr. A value that
// comes out as NaN (from measurements holding NaN, say) raises KrArgErr instead of being stored.
// A failing operation leaves the curve as it was. Vectors passed in are never changed.
#pragma once

#include "KrCore/KrString.h"
#include "KrMath/KrLinearization.h"
#include "KrMath/KrVector.h"

#include <cstdint>

class KrTrafo;

inline constexpr int32_t KrCurveCodeLstar = -2;        // CIE lightness to linear
inline constexpr int32_t KrCurveCodeLstarInverse = -3; // linear to CIE lightness
inline constexpr int32_t KrCurveCodeSRGB = -4;         // sRGB to linear
inline constexpr int32_t KrCurveCodeSRGBInverse = -5;  // linear to sRGB

// CIE lightness of a luminance and back, both on a 0..100 scale.
double KrYToLstar(double y);
double KrLstarToY(double lstar);

class KrCurveLinearization : public KrLinearization
{
public:
    KrCurveLinearization() = default;

    ~KrCurveLinearization() override;
    double Forward(double x) const override;
    double Inverse(double y) const override;
    // Named and invalid curves are never the identity.
    virtual bool IsIdentity() const;
    virtual void SetIdentity();
    // Any dimension: one element sets an exponent, a negative dimension a curve code.
    virtual void SetSamples(const KrVector& v);
    virtual KrVector GetSamples() const;
    // 0 selects the L* curve; a negative gamma is rounded half away from zero to a curve code
    // (-4.4 gives -4, -4.5 gives -5; far below the codes, to the lowest 32-bit value); a
    // positive one is the exponent of a power curve. NaN raises KrArgErr.
    virtual void SetCurveGamma(double gamma);
    // The power curve through (0.5, mid). mid outside the open range 0..1 has no such curve
    // (the exponent would be 0, negative or infinite) and raises KrArgErr.
    virtual void SetGammaByMidpoint(double mid);
    // Measurements at evenly spaced inputs; fewer than two make ys the samples as they are.
    virtual void FitLocalGammaUniform(const KrVector& ys, int32_t count);
    // Measured points (xs[k], ys[k]) fitted by a local exponent between the first x above 0
    // and the last x below 1, scaled to the largest y; up to two points make ys the samples.
    // KrArgErr: no x between 0 and 1, a largest y not above 0, or a point in the fitted range
    // whose x is not inside 0..1 or whose y is not above 0 (no exponent exists there).
    // KrIndexError: ys shorter than xs.
    virtual void FitLocalGamma(const KrVector& xs, const KrVector& ys, int32_t count);
    // As FitLocalGamma with a local bend of x - x^2 around the line to the largest y; the
    // values are clamped into 0..1. A largest y of 0 is allowed. KrArgErr: no x between 0 and
    // 1, or a point in the fitted range whose x is not inside 0..1.
    virtual void FitQuadraticBend(const KrVector& xs, const KrVector& ys, int32_t count);
    // Straight lines between the points, paired by relative position; clamped into 0..1. xs
    // should be monotone: otherwise the positions found in it are merely some of the possible.
    virtual void SetFromPoints(const KrVector& xs, const KrVector& ys, int32_t count);
    // The ICC parametric curve of type (0 to 4); its errors pass through.
    virtual void SetFromICCParametric(int32_t type, const KrVector& params, int32_t count);
    // How far the transformed colour travels between the transformed ends as the input moves
    // along the straight ramp from one colour to the other, fitted by FitSpline. A count of 1
    // or less means 256. Where the transformed ramp point coincides with both transformed
    // ends the share is undefined: the position on the ramp is taken.
    virtual void SetFromColorRamp(const KrTrafo& trafo, const KrVector& from, const KrVector& to, int32_t kind,
                                  int32_t count);
    // The points through a spline: kind 0 and 3 smooth, 1 approximating Bezier, 2 interpolating
    // Bezier (KrArgErr above 3); fewer than three points are joined by straight lines. The
    // values are clamped into 0..1. KrIndexError: xs and ys of different dimensions.
    virtual void FitSpline(const KrVector& xs, const KrVector& ys, int32_t kind, int32_t count);
    virtual bool IsGamma() const;
    // Any kind of curve becomes a table of count samples (nothing when it is one already).
    virtual void Resample(int32_t count);
    // Tables become the inverse table of at least 4096 samples. KrArgErr for invalid codes and
    // for an exponent that is not above 0.
    virtual void Invert();
    // The curve becomes the table of outer applied after itself, of count samples when count
    // is above 1 and above the current dimension, else of 256 unless it is a table of three or
    // more samples already. outer may be this curve.
    virtual void Compose(const KrLinearization& outer, int32_t count);
    // Each sample printed with format (null: "%f "); named curves give empty text.
    virtual KrString ToText(const char* format = nullptr) const;
    // The numbers at the start of text become the samples; empty text gives the identity.
    virtual void FromText(const KrString& text);

private:
    // The samples become the table of valueAt(i, x) for i = 0..count - 1, x = i/(count - 1),
    // once every value is known.
    template <class ValueAt>
    void SetTable(int32_t count, ValueAt valueAt);

    KrVector samples;
};
