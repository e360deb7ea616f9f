// The computation of a gamma upload without the monitor's settling wait: the whole
// SetGammaCurve against the emulated monitor (log lines discarded, the wait replaced) and the
// table building alone, side by side with a plain loop of the 768 pow calls the tables need.
#include "KrColor/KrColorSpace.h"
#include "KrDevices/KrCalibrationTables.h"
#include "KrDevices/KrVeltDevice.h"
#include "KrMath/KrColorLinearization.h"
#include "KrPlatform/KrPlatform.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace
{
const double kGamma = 2.2;
const double kBaseGamma = 2.0;

void DiscardDebugOutput(const std::u16string&)
{
}

void SkipWait(int64_t)
{
}

void BM_SetGammaCurve(benchmark::State& state)
{
    const KrPlatformDebugSink previousSink = KrPlatformSetDebugSink(DiscardDebugOutput);
    const KrPlatformSleeper previousSleeper = KrPlatformSetSleeper(SkipWait);
    {
        KrVeltDevice device;
        device.SetBrightness(0.5);
        for (auto _ : state)
            device.SetGammaCurve(kGamma, nullptr);
    }
    KrPlatformSetSleeper(previousSleeper);
    KrPlatformSetDebugSink(previousSink);
}

void BM_BuildGammaTables(benchmark::State& state)
{
    KrColorLinearization curves(KrSignature("RGB "));
    for (int32_t channel = 0; channel < KrCalibrationTables::kChannels; ++channel)
        curves.GetCurve(channel).SetCurveGamma(kGamma);
    KrCalibrationTables tables;
    for (auto _ : state)
    {
        KrBuildGammaTables(curves, kBaseGamma, tables);
        benchmark::DoNotOptimize(tables.values);
    }
}

// The least any upload must compute: each channel's value at each level through pow.
void BM_ReferencePowLoop(benchmark::State& state)
{
    KrCalibrationTables tables;
    for (auto _ : state)
    {
        for (int channel = 0; channel < KrCalibrationTables::kChannels; ++channel)
            for (int level = 0; level < KrCalibrationTables::kLevels; ++level)
                tables.values[channel][level] = static_cast<float>(std::pow(level / 255.0, kGamma * kBaseGamma));
        benchmark::DoNotOptimize(tables.values);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_SetGammaCurve)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildGammaTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReferencePowLoop)->Unit(benchmark::kMicrosecond);
}
