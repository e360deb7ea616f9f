// Creating, copying and dropping a 3-element 'RGB ' KrVector (records come from the cache once
// it is warm) against std::vector<double>(3) doing the same (two allocations) and against one
// std::vector<double>(3) created and dropped (one allocation). With two threads the cache's
// try-lock is contended: a thread that finds it busy bypasses it instead of waiting.
#include "KrMath/KrVector.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
const int32_t kTagRGB = 0x52474220;
const int kRounds = 1000000;
const double kColour[3] = {0.25, 0.5, 1.0};

void CreateCopyDropKrVector(benchmark::State& state)
{
    for (auto _ : state)
    {
        for (int i = 0; i < kRounds; ++i)
        {
            KrVector colour(3, kTagRGB, kColour);
            KrVector copy(colour);
            benchmark::DoNotOptimize(copy.Data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kRounds);
}

void CreateCopyDropStdVector(benchmark::State& state)
{
    for (auto _ : state)
    {
        for (int i = 0; i < kRounds; ++i)
        {
            std::vector<double> colour(3);
            colour[0] = kColour[0];
            colour[1] = kColour[1];
            colour[2] = kColour[2];
            std::vector<double> copy(colour);
            benchmark::DoNotOptimize(copy.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kRounds);
}

void CreateDropStdVector(benchmark::State& state)
{
    for (auto _ : state)
    {
        for (int i = 0; i < kRounds; ++i)
        {
            std::vector<double> colour(3);
            colour[0] = kColour[0];
            colour[1] = kColour[1];
            colour[2] = kColour[2];
            benchmark::DoNotOptimize(colour.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kRounds);
}
}

BENCHMARK(CreateCopyDropKrVector)->Unit(benchmark::kMillisecond);
BENCHMARK(CreateCopyDropStdVector)->Unit(benchmark::kMillisecond);
BENCHMARK(CreateDropStdVector)->Unit(benchmark::kMillisecond);
BENCHMARK(CreateCopyDropKrVector)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CreateCopyDropStdVector)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
