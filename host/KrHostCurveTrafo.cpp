#include "KrHostCurveTrafo.h"

#include <algorithm>
#include <cmath>

KrVectorData& KrHostVector::Assign(const KrVectorData& source)
{
    if (&source == this)
        return *this;
    std::vector<double> copy(size_t(std::max(source.GetSize(), 0)));
    for (size_t i = 0; i < copy.size(); ++i)
        copy[i] = source.Get(int32_t(i));
    values.swap(copy);
    type = source.GetType();
    return *this;
}

KrObject* KrHostCurveTrafo::Cast(const char* className)
{
    const bool named = className != nullptr && (std::strcmp(className, "KrTrafo") == 0 ||
                                                 std::strcmp(className, "KrHostCurveTrafo") == 0);
    return named ? this : KrObject::Cast(className);
}

void KrHostCurveTrafo::TransformInto(const KrVectorData& in, KrVectorData& out) const
{
    if (in.GetSize() < 3)
        return;
    constexpr double kTop = kHostLevels - 1;
    KrHostVector result;
    result.SetSize(3);
    result.SetType(kRGBSpace);
    for (int channel = 0; channel < 3; ++channel)
    {
        const auto& table = tables[size_t(channel)];
        const double value = in.Get(channel);
        // NaN falls to level 0 like a negative value.
        const double position = value > 0.0 ? std::min(value, kTop) : 0.0;
        const int below = std::min(int(position), kHostLevels - 2);
        const double fraction = position - below;
        result.At(channel) = kTop * (table[size_t(below)] + fraction * (table[size_t(below) + 1] - table[size_t(below)]));
    }
    out.Assign(result);
}
