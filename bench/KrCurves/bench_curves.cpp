// One million inputs through a gamma-2.2 curve, a 256-sample table and the sRGB curve, each
// side by side with Little CMS 2 evaluating the same curve (cmsEvalToneCurveFloat); and the 256
// TransformInto calls of a gamma calibration through an 'RGB ' colour linearization.
#include "KrColor/KrColorSpace.h"
#include "KrMath/KrColorLinearization.h"
#include "KrMath/KrCurveLinearization.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
const int kInputs = 1000000;
const int kTableSize = 256;
const int kGreyLevels = 256;
const double kGamma = 2.2;
// g, a, b, c, d of the sRGB decoding as an ICC parametric curve of type 4.
const double kSRGBParameters[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

// The same scattered inputs in 0..1 for every curve.
const std::vector<double>& Inputs()
{
    static const std::vector<double> inputs = [] {
        std::vector<double> values(kInputs);
        uint32_t state = 12345;
        for (double& value : values)
        {
            state = state * 1664525u + 1013904223u;
            value = (state >> 8) / double(1u << 24);
        }
        return values;
    }();
    return inputs;
}

void RunKr(benchmark::State& state, const KrCurveLinearization& curve)
{
    const std::vector<double>& inputs = Inputs();
    for (auto _ : state)
    {
        double sum = 0;
        for (double x : inputs)
            sum += curve.Forward(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
}

// lcms2 evaluates in single precision.
void RunLcms(benchmark::State& state, cmsToneCurve* curve)
{
    const std::vector<double>& inputs = Inputs();
    std::vector<float> floats(inputs.begin(), inputs.end());
    for (auto _ : state)
    {
        double sum = 0;
        for (float x : floats)
            sum += cmsEvalToneCurveFloat(curve, x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
    cmsFreeToneCurve(curve);
}

KrCurveLinearization KrTable()
{
    KrCurveLinearization curve;
    curve.SetCurveGamma(kGamma);
    curve.Resample(kTableSize);
    return curve;
}

void GammaKr(benchmark::State& state)
{
    KrCurveLinearization curve;
    curve.SetCurveGamma(kGamma);
    RunKr(state, curve);
}

void GammaLcms(benchmark::State& state)
{
    RunLcms(state, cmsBuildGamma(nullptr, kGamma));
}

void TableKr(benchmark::State& state)
{
    RunKr(state, KrTable());
}

void TableLcms(benchmark::State& state)
{
    const KrVector samples = KrTable().GetSamples();
    std::vector<float> table(samples.Data(), samples.Data() + samples.GetSize());
    RunLcms(state, cmsBuildTabulatedToneCurveFloat(nullptr, kTableSize, table.data()));
}

void SRGBKr(benchmark::State& state)
{
    KrCurveLinearization curve;
    curve.SetCurveGamma(KrCurveCodeSRGB);
    RunKr(state, curve);
}

void SRGBLcms(benchmark::State& state)
{
    RunLcms(state, cmsBuildParametricToneCurve(nullptr, 4, kSRGBParameters));
}

// What the device's gamma calibration does: one 'RGB ' vector through TransformInto per grey level.
void GammaCalibrationTransformInto(benchmark::State& state)
{
    KrColorLinearization linearization(KrSignature("RGB "));
    for (int32_t i = 0; i < linearization.GetChannelCount(); ++i)
        linearization.GetCurve(i).SetCurveGamma(kGamma);
    KrVector grey(3, KrSignature("RGB "));
    for (auto _ : state)
    {
        for (int level = 0; level < kGreyLevels; ++level)
        {
            grey.SetValues(3, double(level), double(level), double(level));
            linearization.TransformInto(grey, grey);
        }
        benchmark::DoNotOptimize(grey.Data());
    }
}
}

BENCHMARK(GammaKr)->Unit(benchmark::kMillisecond);
BENCHMARK(GammaLcms)->Unit(benchmark::kMillisecond);
BENCHMARK(TableKr)->Unit(benchmark::kMillisecond);
BENCHMARK(TableLcms)->Unit(benchmark::kMillisecond);
BENCHMARK(SRGBKr)->Unit(benchmark::kMillisecond);
BENCHMARK(SRGBLcms)->Unit(benchmark::kMillisecond);
BENCHMARK(GammaCalibrationTransformInto)->Unit(benchmark::kMicrosecond);
