#include "KrDevices/KrCalibrationTables.h"

#include "KrColor/KrColorSpace.h"
#include "KrCore/KrError.h"
#include "KrMath/KrTrafo.h"
#include "KrMath/KrVector.h"

#include <cfloat>
#include <cmath>

namespace
{
constexpr double kLevelScale = 255.0;

// Samples the transform and turns each component, divided by the level scale, into a table
// value with shape.
template <class Shape>
void BuildTables(const KrTrafo& transform, KrCalibrationTables& tables, Shape shape)
{
    KrVector color(KrCalibrationTables::kChannels, KrSignature("RGB "));
    for (int level = 0; level < KrCalibrationTables::kLevels; ++level)
    {
        color.Fill(level);
        transform.TransformInto(color, color);
        for (int channel = 0; channel < KrCalibrationTables::kChannels; ++channel)
        {
            const double component = color.Get(channel);
            const double shaped = shape(component / kLevelScale);
            // A NaN or infinity would reach the monitor's tables as it is; beyond the float
            // range the conversion itself is undefined.
            if (!std::isfinite(component) || !(std::fabs(shaped) <= FLT_MAX))
                KR_RAISE(KrErrArgErr);
            float& value = tables.values[channel][level];
            value = static_cast<float>(shaped);
            if (level > 0 && value < tables.values[channel][level - 1])
                value = tables.values[channel][level - 1];
        }
    }
}
}

void KrBuildGammaTables(const KrTrafo& transform, double gamma, KrCalibrationTables& tables)
{
    BuildTables(transform, tables, [gamma](double x) { return std::pow(x < 0.0 ? 0.0 : x, gamma); });
}

void KrBuildPlainTables(const KrTrafo& transform, KrCalibrationTables& tables)
{
    BuildTables(transform, tables, [](double x) { return x; });
}
