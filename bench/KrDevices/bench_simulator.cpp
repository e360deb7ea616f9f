// One simulator setter (load the state file, change one value, save it whole) on a file holding
// three 256-number tables, next to a plain read and write of the same bytes. Compare the pair.
#include "KrCore/KrLog.h"
#include "KrDevices/KrVeltSimulatorDevice.h"
#include "KrMath/KrTrafo.h"
#include "Krio/KrStreamImplemented.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
// Takes the log lines and keeps none, so that the log costs what it costs a host.
class DiscardingStream : public KrStreamImplemented
{
public:
    void Write(const void*, int32_t, int32_t*) override {}
};

// A fresh folder made the current directory, holding the default state file with the tables
// of one calibration already stored; the previous directory comes back at the end.
class SimulatorFolder
{
public:
    SimulatorFolder()
        : previous(std::filesystem::current_path()),
          folder(std::filesystem::temp_directory_path() / ("kr-bench-simulator-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        std::FILE* file = std::fopen(KrVeltSimulatorDevice::kStateFileName, "wb");
        std::fputs("Display0 = Main\nDisplay1 = Other\nMain = \n{\n\tVeltPort = 0\n\tMaxBrightness = 100\n}\n", file);
        std::fclose(file);
        log->Retain();
        SetLogStream(log);
        device->ConnectMonitor(0);
        KrTrafo identity;
        device->SetRGBCalibration(&identity, nullptr);
    }
    ~SimulatorFolder()
    {
        device.reset(); // its last log lines still go to the discarding stream
        SetLogStream(nullptr);
        log->Release();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }

    std::unique_ptr<KrVeltSimulatorDevice> device = std::make_unique<KrVeltSimulatorDevice>();

private:
    std::filesystem::path previous;
    std::filesystem::path folder;
    DiscardingStream* log = new DiscardingStream();
};

void SimulatorSetter(benchmark::State& state)
{
    SimulatorFolder simulator;
    int step = 0;
    for (auto _ : state)
        simulator.device->SetContrast((step++ % 100) / 100.0);
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(std::filesystem::file_size(KrVeltSimulatorDevice::kStateFileName)));
}

void ReadWriteReference(benchmark::State& state)
{
    SimulatorFolder simulator;
    const char* path = KrVeltSimulatorDevice::kStateFileName;
    std::vector<char> bytes(std::filesystem::file_size(path));
    for (auto _ : state)
    {
        std::FILE* in = std::fopen(path, "rb");
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), in));
        std::fclose(in);
        std::FILE* out = std::fopen(path, "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), out));
        std::fclose(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// A whole calibration on the simulator: 256 samples and three setters.
void SimulatorCalibration(benchmark::State& state)
{
    SimulatorFolder simulator;
    KrTrafo identity;
    for (auto _ : state)
        simulator.device->SetRGBCalibration(&identity, nullptr);
}
}

BENCHMARK(SimulatorSetter)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadWriteReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(SimulatorCalibration)->Unit(benchmark::kMicrosecond);
