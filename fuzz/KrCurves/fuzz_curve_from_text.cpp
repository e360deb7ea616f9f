// The text forms of a curve and of a colour linearization over arbitrary bytes. The colour
// linearization reads them into curves or raises KrArgErr; a curve always reads them. Whatever
// was read is evaluated, inverted and written again, and the written text reads back to as
// many curves and samples.
#include "KrColor/KrColorSpace.h"
#include "KrCore/KrError.h"
#include "KrCore/KrString.h"
#include "KrMath/KrColorLinearization.h"
#include "KrMath/KrCurveLinearization.h"

#include <cstdlib>

namespace
{
// The most curves one count character can announce.
const int32_t kMaxCurves = 127 - '0';

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Evaluating and inverting raise nothing but KrArgErr (an exponent of 0 or less in the text).
void Exercise(KrCurveLinearization curve)
{
    try
    {
        curve.Forward(0.5);
        curve.Inverse(0.5);
        curve.Invert();
        curve.Resample(16);
        Require(curve.GetSamples().GetSize() == 16);
    }
    catch (const KrError& error)
    {
        Require(error.Code() == KrErrArgErr.code);
    }
}

void CurveText(const KrString& text)
{
    KrCurveLinearization curve;
    curve.FromText(text);
    const int32_t n = curve.GetSamples().GetSize();
    Require(n >= 0 && n <= text.Length());
    KrCurveLinearization back;
    back.FromText(curve.ToText("%.9g "));
    Require(back.GetSamples().GetSize() == n);
    Exercise(curve);
}

void ColorText(const KrString& text)
{
    KrColorLinearization linearization(KrSignature("RGB "));
    try
    {
        linearization.FromText(text);
    }
    catch (const KrError& error)
    {
        Require(error.Code() == KrErrArgErr.code);
        Require(linearization.GetChannelCount() == 3);
        return;
    }
    const int32_t n = linearization.GetChannelCount();
    Require(n >= 0 && n <= kMaxCurves);
    for (int32_t i = 0; i < n; ++i)
        Exercise(linearization.GetCurve(i));

    if (n == 0)
        return; // its text "0 " is refused on reading
    KrColorLinearization back(0);
    back.FromText(linearization.ToText());
    Require(back.GetChannelCount() == n);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const KrString text(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), true);
    CurveText(text);
    ColorText(text);
    return 0;
}
