// The key-value data base against plain byte passes: ParseText and ToText of a generated 1 MB
// settings text next to a memcpy of the same bytes, and the simulator's Load-Set-Save cycle on
// a file of its size next to reading and writing the same bytes with stdio. Compare each pair.
#include "KrData/KrDataBase.h"
#include "Krio/KrFileSpec.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace
{
const int32_t kTextSize = 1 << 20;

// Nested sections with bare numbers and words, quoted texts and long number lists.
KrString GeneratedSettings()
{
    KrDataBase db;
    for (int section = 0; db.ToText().Length() < kTextSize; ++section)
    {
        const KrString name = KrString::Format("Section%d", section);
        for (int i = 0; i < 20; ++i)
        {
            db.Set(name + KrString::Format("/Value%d", i), KrString::Format("%d.%06d", i, section));
            db.Set(name + KrString::Format("/Word%d", i), "bare_word");
            db.Set(name + KrString::Format("/Title%d", i), KrString::Format("two words, \"quoted\" %d", i));
            db.Set(name + KrString::Format("/Inner/Deeper/Key%d", i), KrString::Format("%d", i * section));
        }
        KrString table;
        for (int i = 0; i < 256; ++i)
            table.Append(KrString::Format(" %f", i / 255.0));
        db.Set(name + "/Inner/Table", table);
    }
    return db.ToText();
}

const KrString& Settings()
{
    static const KrString text = GeneratedSettings();
    return text;
}

void ParseText(benchmark::State& state)
{
    const KrString& text = Settings();
    for (auto _ : state)
    {
        KrDataBase db;
        db.ParseText(text);
        benchmark::DoNotOptimize(db.Count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.Length());
}

void ToText(benchmark::State& state)
{
    KrDataBase db;
    db.ParseText(Settings());
    for (auto _ : state)
    {
        const KrString text = db.ToText();
        benchmark::DoNotOptimize(text.Text());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * Settings().Length());
}

void CopyReference(benchmark::State& state)
{
    const KrString& text = Settings();
    std::vector<char> copy(static_cast<size_t>(text.Length()));
    for (auto _ : state)
    {
        std::memcpy(copy.data(), text.Text(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::DoNotOptimize(std::strlen(text.Text()));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.Length());
}

// A file the size of the simulator's: three sections with three 256-number tables each.
class SimulatorFile
{
public:
    SimulatorFile()
        : folder(std::filesystem::temp_directory_path() / ("kr-bench-database-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(folder);
        KrDataBase db;
        const char* sections[] = {"Left", "Right", "Spare"};
        for (int s = 0; s < 3; ++s)
        {
            db.Set(KrString::Format("Display%d", s), sections[s]);
            const KrString name = sections[s];
            db.Set(name + "/VeltPort", KrString::Format("%d", s));
            db.Set(name + "/MaxBrightness", "100");
            db.Set(name + "/_Connected", "true");
            db.Set(name + "/_Brightness", "0.500000");
            for (const char* table : {"/_RLUT", "/_GLUT", "/_BLUT"})
            {
                KrString numbers;
                for (int i = 0; i < 256; ++i)
                    numbers.Append(KrString::Format(" %f", i / 255.0));
                db.Set(name + table, numbers);
            }
        }
        db.Save(StateFileSpec());
    }
    ~SimulatorFile() { std::filesystem::remove_all(folder); }

    KrFileSpec StateFileSpec() const { return KrFileSpec((folder / "MonitorSimulation.txt").c_str()); }
    std::string Path() const { return (folder / "MonitorSimulation.txt").string(); }

private:
    std::filesystem::path folder;
};

void LoadSetSave(benchmark::State& state)
{
    SimulatorFile file;
    const KrFileSpec fileSpec = file.StateFileSpec();
    int step = 0;
    for (auto _ : state)
    {
        KrDataBase db;
        db.Load(fileSpec);
        db.Set("Right/_Contrast", KrString::Format("%f", (step++ % 100) / 100.0));
        db.Save(fileSpec);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(file.Path())));
}

void ReadWriteReference(benchmark::State& state)
{
    SimulatorFile file;
    std::vector<char> bytes(std::filesystem::file_size(file.Path()));
    for (auto _ : state)
    {
        std::FILE* in = std::fopen(file.Path().c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), in));
        std::fclose(in);
        std::FILE* out = std::fopen(file.Path().c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), out));
        std::fclose(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
}

BENCHMARK(ParseText)->Unit(benchmark::kMillisecond);
BENCHMARK(ToText)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyReference)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSetSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadWriteReference)->Unit(benchmark::kMicrosecond);
