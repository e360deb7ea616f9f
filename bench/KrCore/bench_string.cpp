// KrString against std::string: copies of a 40-byte text (a count update against an
// allocation) and single-byte appends (against push_back). Compare the pairs by their times.
#include "KrCore/KrString.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
const char kText[] = "a forty-byte text for copying benchmarks"; // 40 bytes
static_assert(sizeof kText == 41, "the text is 40 bytes");
const int kCopies = 10000000;
const int kAppends = 1000000;

void CopyKrString(benchmark::State& state)
{
    const KrString source(kText);
    for (auto _ : state)
    {
        for (int i = 0; i < kCopies; ++i)
        {
            KrString copy(source);
            benchmark::DoNotOptimize(copy);
        }
    }
}

void CopyStdString(benchmark::State& state)
{
    const std::string source(kText);
    for (auto _ : state)
    {
        for (int i = 0; i < kCopies; ++i)
        {
            std::string copy(source);
            benchmark::DoNotOptimize(copy);
        }
    }
}

// Assigning alternately from two sources of the same length.
void AssignKrString(benchmark::State& state)
{
    const KrString sources[2] = {KrString(kText), KrString(kText)};
    KrString target;
    for (auto _ : state)
    {
        for (int i = 0; i < kCopies; ++i)
        {
            target = sources[i & 1];
            benchmark::DoNotOptimize(target);
        }
    }
}

void AssignStdString(benchmark::State& state)
{
    const std::string sources[2] = {std::string(kText), std::string(kText)};
    std::string target;
    for (auto _ : state)
    {
        for (int i = 0; i < kCopies; ++i)
        {
            target = sources[i & 1];
            benchmark::DoNotOptimize(target);
        }
    }
}

void AppendKrString(benchmark::State& state)
{
    for (auto _ : state)
    {
        KrString text;
        for (int i = 0; i < kAppends; ++i)
            text.Append(static_cast<char>('a' + (i & 15)));
        benchmark::DoNotOptimize(text);
    }
}

void PushBackStdString(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::string text;
        for (int i = 0; i < kAppends; ++i)
            text.push_back(static_cast<char>('a' + (i & 15)));
        benchmark::DoNotOptimize(text);
    }
}
}

BENCHMARK(CopyKrString)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyStdString)->Unit(benchmark::kMillisecond);
BENCHMARK(AssignKrString)->Unit(benchmark::kMillisecond);
BENCHMARK(AssignStdString)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendKrString)->Unit(benchmark::kMillisecond);
BENCHMARK(PushBackStdString)->Unit(benchmark::kMillisecond);
