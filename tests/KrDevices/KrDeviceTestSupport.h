// What the device tests share: attached displays through the platform layer, the log caught
// in a stream, and the emulated monitor's journal in the test's own folder.
#pragma once

#include "../KrFiles/KrTempFolder.h"
#include "KrCore/KrLog.h"
#include "KrDevices/KrDisplayList.h"
#include "KrPlatform/KrPlatform.h"
#include "Krio/KrStreamImplemented.h"
#include "VeltEmulatorControl.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

inline Lines SplitLines(const std::string& text)
{
    Lines lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Keeps everything written to it.
class RecordingStream : public KrStreamImplemented
{
public:
    void Write(const void* data, int32_t count, int32_t*) override { text.append(static_cast<const char*>(data), size_t(count)); }

    std::string text;
};

// The displays that the platform reports while a test runs, and how often it was asked.
struct AttachedDisplays
{
    static std::vector<KrPlatformDisplay> displays;
    static int enumerations;

    static std::vector<KrPlatformDisplay> Enumerate()
    {
        ++enumerations;
        return displays;
    }

    // count displays side by side, 1920 x 1080 each, the first one primary, named DP-1, DP-2...
    static std::vector<KrPlatformDisplay> SideBySide(int count)
    {
        std::vector<KrPlatformDisplay> list;
        for (int i = 0; i < count; ++i)
            list.push_back({true, 1920 * i, 0, 1920 * (i + 1), 1080, "DP-" + std::to_string(i + 1), i == 0});
        return list;
    }
};

inline std::vector<KrPlatformDisplay> AttachedDisplays::displays;
inline int AttachedDisplays::enumerations = 0;

// Every test starts with one display attached and no list built, a fresh emulated monitor that
// journals into the test's folder, and the log going to a recording stream.
class KrDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AttachDisplays(1);
        previousEnumerator = KrPlatformSetDisplayEnumerator(AttachedDisplays::Enumerate);
        VeltEmu_Reset();
        log = new RecordingStream();
        log->Retain(); // one reference for the test, one handed to the log
        SetLogStream(log);
    }

    void TearDown() override
    {
        SetLogStream(nullptr);
        log->Release();
        ReleaseDisplayList();
        KrPlatformSetDisplayEnumerator(previousEnumerator);
        VeltEmu_Reset();
    }

    static void AttachDisplays(int count)
    {
        AttachedDisplays::displays = AttachedDisplays::SideBySide(count);
        AttachedDisplays::enumerations = 0;
    }

    // The journal and the log since the last call.
    Lines TakeJournal()
    {
        const std::string text = KrTempFolder::Read(journalPath);
        const Lines lines = SplitLines(text.substr(journalSeen));
        journalSeen = text.size();
        return lines;
    }

    Lines TakeLog()
    {
        const Lines lines = SplitLines(log->text);
        log->text.clear();
        return lines;
    }

    // Forgets what has been journalled and logged so far.
    void Settle()
    {
        TakeJournal();
        TakeLog();
    }

    KrTempFolder folder;
    const std::string journalPath = folder.Path("journal.txt");
    KrScopedEnvironment journal{"VELTDLL_JOURNAL", journalPath.c_str()};
    KrScopedEnvironment state{"VELTDLL_STATE", nullptr};
    KrScopedEnvironment compatible{"VELTDLL_COMPATIBLE", nullptr};
    KrScopedEnvironment monitorType{"VELTDLL_MONITOR_TYPE", nullptr};
    RecordingStream* log = nullptr;

private:
    size_t journalSeen = 0;
    KrPlatformDisplayEnumerator previousEnumerator = nullptr;
};
