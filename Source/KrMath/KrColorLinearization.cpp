#include "KrMath/KrColorLinearization.h"

#include "KrColor/KrColorSpace.h"
#include "KrCore/KrError.h"

namespace
{
// The default attribute: key 1 holds "1".
const int32_t kDefaultAttributeKey = 1;
const char kDefaultAttributeValue[] = "1";

// The text form opens with one character counting the curves, from '0', and a space.
const char kCountBase = '0';
const int32_t kCurveTextStart = 2;
// The most curves the count character can carry and still read back as a signed 8-bit value.
const int32_t kMaxTextCurves = 127 - kCountBase;
}

KrColorLinearization::KrColorLinearization(int32_t colorSpace) : colorSpace(colorSpace)
{
    SetChannelCount(KrColorSpaceChannels(colorSpace));
}

KrColorLinearization::~KrColorLinearization() = default;

int32_t KrColorLinearization::GetInputDimension() const
{
    return GetChannelCount();
}

int32_t KrColorLinearization::GetOutputDimension(int32_t) const
{
    return GetChannelCount();
}

int32_t KrColorLinearization::GetInputSpace() const
{
    return colorSpace;
}

int32_t KrColorLinearization::GetOutputSpace(int32_t) const
{
    return colorSpace;
}

KrVector KrColorLinearization::Transform(const KrVector& in) const
{
    return Forward(in);
}

void KrColorLinearization::InitAttributes()
{
    SetAttribute(kDefaultAttributeKey, kDefaultAttributeValue);
    KrVectorLinearization::InitAttributes();
}

void KrColorLinearization::Reset()
{
    InitAttributes();
    for (int32_t i = 0; i < curves.Size(); ++i)
        curves.At(i).SetIdentity();
}

bool KrColorLinearization::IsIdentity() const
{
    for (int32_t i = 0; i < curves.Size(); ++i)
    {
        if (!curves.At(i).IsIdentity())
            return false;
    }
    return true;
}

KrVector KrColorLinearization::Forward(const KrVector& in) const
{
    return Apply(in, &KrCurveLinearization::Forward);
}

KrVector KrColorLinearization::Inverse(const KrVector& in) const
{
    return Apply(in, &KrCurveLinearization::Inverse);
}

void KrColorLinearization::Invert()
{
    for (int32_t i = 0; i < curves.Size(); ++i)
        curves.At(i).Invert();
}

void KrColorLinearization::SetChannelCount(int32_t n)
{
    curves.SetSize(n);
}

int32_t KrColorLinearization::GetChannelCount() const
{
    return curves.Size();
}

KrString KrColorLinearization::ToText(const char* format) const
{
    const int32_t count = GetChannelCount();
    if (count > kMaxTextCurves)
        KR_RAISE(KrErrArgErr);
    KrString text;
    text.Append(static_cast<char>(kCountBase + count));
    text.Append(' ');
    for (int32_t i = 0; i < count; ++i)
        text.Append(curves.At(i).ToText(format));
    return text;
}

void KrColorLinearization::FromText(const KrString& text)
{
    if (text.IsEmpty())
    {
        SetChannelCount(0);
        return;
    }
    const int32_t n = static_cast<signed char>(text.Text()[0]) - kCountBase;
    if (n < 1)
        KR_RAISE(KrErrArgErr);
    SetChannelCount(n);
    // A text shorter than its header gives empty segments.
    const int32_t rest = text.Length() - kCurveTextStart;
    const int32_t segment = rest > 0 ? rest / n : 0;
    for (int32_t i = 0; i < n; ++i)
        curves.At(i).FromText(text.Substring(kCurveTextStart + i * segment, segment));
}

void KrColorLinearization::Compose(const KrColorLinearization& outer)
{
    for (int32_t i = 0; i < curves.Size(); ++i)
        curves.At(i).Compose(outer.GetCurve(i), 0);
}

void KrColorLinearization::SetColorSpace(int32_t signature)
{
    colorSpace = signature;
    SetChannelCount(KrColorSpaceChannels(signature));
}

KrCurveLinearization& KrColorLinearization::GetCurve(int32_t index)
{
    return curves.At(index);
}

const KrCurveLinearization& KrColorLinearization::GetCurve(int32_t index) const
{
    return curves.At(index);
}

KrVector KrColorLinearization::Apply(const KrVector& in, CurveDirection direction) const
{
    const int32_t space = in.GetType();
    const bool known = KrIsKnownColorSpace(space);
    KrVector r = known ? KrNormalizeColor(in) : in;
    for (int32_t i = 0; i < curves.Size(); ++i)
    {
        double& value = r.At(i);
        value = (curves.At(i).*direction)(value);
    }
    return known ? KrDenormalizeColor(r, space) : r;
}
