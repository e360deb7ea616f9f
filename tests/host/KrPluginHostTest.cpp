// The plug-in as a host meets it: loaded with dlopen and driven only through the host's own
// declarations of the shared tables. Calls that land on the right operation prove the order.
#include "KrHostTestSupport.h"
#include "KrPluginInterface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace
{
// A host log stream that keeps what it is given and tells when it is destroyed.
class HostRecordingStream : public KrStream
{
public:
    explicit HostRecordingStream(bool* destroyed = nullptr) : destroyed(destroyed) {}
    ~HostRecordingStream() override
    {
        if (destroyed != nullptr)
            *destroyed = true;
    }

    void Write(const void* data, int32_t count, int32_t*) override
    {
        text.append(static_cast<const char*>(data), size_t(count));
    }

    std::string TakeText()
    {
        std::string taken;
        taken.swap(text);
        return taken;
    }

private:
    std::string text;
    bool* destroyed;
};

class HostObserver : public KrProgressObserver
{
public:
    void ReportProgress(double fractionDone) override { reports.push_back(fractionDone); }

    std::vector<double> reports;
};

struct Registration
{
    KrCreateDevice create;
    KrDestroyDevice destroy;
    std::string className;
    std::string kindName;
};

std::vector<Registration> registrations;

int32_t RecordRegistration(KrCreateDevice create, KrDestroyDevice destroy, const char* className, const char* kindName)
{
    registrations.push_back({create, destroy, className, kindName});
    return 0;
}

void InstallLogStream(KrStream* stream)
{
    const KrPluginContext context{nullptr, nullptr, stream};
    ThePlugin().InitPlugin()(&context);
}

// Each test finds the plug-in loaded, a recording stream of its own installed (the test keeps
// a second reference), no displays (so no display switching) and the emulated monitor's
// state and journal in its own folder. The stream is handed back at the end.
class PluginHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ThePlugin().IsLoaded()) << ThePlugin().Error();
        log->Retain();
        InstallLogStream(log);
        ThePlugin().RegisterModules()(RecordRegistration);
        ASSERT_FALSE(registrations.empty());
        create = registrations[0].create;
        destroy = registrations[0].destroy;
    }

    void TearDown() override
    {
        InstallLogStream(nullptr);
        log->Release();
        registrations.clear();
    }

    Lines TakeLog() { return SplitLines(log->TakeText()); }

    Lines TakeJournal()
    {
        const std::string text = KrTempFolder::Read(journalPath);
        const Lines lines = SplitLines(text.substr(journalSeen));
        journalSeen = text.size();
        return lines;
    }

    KrTempFolder folder;
    const std::string journalPath = folder.Path("journal.txt");
    const std::string statePath = folder.Path("state.txt");
    KrScopedEnvironment journal{"VELTDLL_JOURNAL", journalPath.c_str()};
    KrScopedEnvironment state{"VELTDLL_STATE", statePath.c_str()};
    KrScopedEnvironment display{"DISPLAY", nullptr};
    HostRecordingStream* log = new HostRecordingStream();
    KrCreateDevice create = nullptr;
    KrDestroyDevice destroy = nullptr;

private:
    size_t journalSeen = 0;
};

TEST(PluginLibrary, ExportsExactlyRegisterModulesAndInitPlugin)
{
    KrTempFolder folder;
    ASSERT_EQ(RunInFolder(folder, "nm -D --defined-only " + ShellQuoted(KR_PLUGIN_LIBRARY)), 0);
    std::set<std::string> exported;
    for (const std::string& line : SplitLines(KrTempFolder::Read(folder.Path("out.txt"))))
        exported.insert(line.substr(line.find_last_of(' ') + 1));
    EXPECT_EQ(exported, (std::set<std::string>{"InitPlugin", "RegisterModules"}));
}

TEST_F(PluginHostTest, RegisterModulesOffersKrVeltDeviceThenTheSimulatorAndNothingForANullCallback)
{
    ASSERT_EQ(registrations.size(), 2u);
    EXPECT_EQ(registrations[0].className, "KrVeltDevice");
    EXPECT_EQ(registrations[1].className, "KrVeltSimulatorDevice");
    EXPECT_NE(registrations[1].create, registrations[0].create);
    for (const Registration& registration : registrations)
    {
        EXPECT_EQ(registration.kindName, "KrMonitorDevice");
        EXPECT_NE(registration.create, nullptr);
        EXPECT_EQ(registration.destroy, registrations[0].destroy);
    }
    ThePlugin().RegisterModules()(nullptr);
    EXPECT_EQ(registrations.size(), 2u);
    EXPECT_EQ(TakeLog(), Lines{}) << "registering writes no log";
}

TEST_F(PluginHostTest, DestroyEndsADeviceWithTwoDisconnects)
{
    destroy(nullptr);
    EXPECT_EQ(TakeLog(), Lines{});

    KrMonitorDevice* device = create();
    EXPECT_FALSE(device->IsConnected());
    destroy(device);
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltDevice::Disconnect", "KrVeltDevice::Disconnect"}));

    create()->Destroy();
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltDevice::Disconnect", "KrVeltDevice::Disconnect"}));
    EXPECT_EQ(TakeJournal(), Lines{});
}

std::string Text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Text(bool value)
{
    return value ? "true" : "false";
}

struct SlotCase
{
    const char* operation;
    std::function<std::string(KrMonitorDevice&)> call;
    std::string result;
    Lines journal;
};

TEST_F(PluginHostTest, EveryOperationAnswersFromItsPlaceInTheTable)
{
    KrTempFolder::Write(statePath, "0.brightness = 60\n0.contrast = 45\n0.red = 10\n0.green = 20\n0.blue = 40\n");
    HostObserver observer;
    const SlotCase cases[] = {
        {"QueryA", [](KrMonitorDevice& d) { return std::to_string(d.QueryA()); }, "1", {}},
        {"ConnectMonitor", [](KrMonitorDevice& d) { return std::to_string(d.ConnectMonitor(0)); }, "0",
         {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1"}},
        {"IsConnected", [](KrMonitorDevice& d) { return Text(d.IsConnected()); }, "true", {}},
        {"QueryB", [](KrMonitorDevice& d) { return std::to_string(d.QueryB()); }, "1", {}},
        {"GetBrightness", [](KrMonitorDevice& d) { return Text(d.GetBrightness()); }, "0.6", {"GetBrightness() -> 60"}},
        {"GetContrast", [](KrMonitorDevice& d) { return Text(d.GetContrast()); }, "0.45", {"GetContrast() -> 45"}},
        {"GetRedGain", [](KrMonitorDevice& d) { return Text(d.GetRedGain()); }, "0.2", {"GetRedColor() -> 10"}},
        {"GetBlueGain", [](KrMonitorDevice& d) { return Text(d.GetBlueGain()); }, "0.8", {"GetBlueColor() -> 40"}},
        {"GetGreenGain", [](KrMonitorDevice& d) { return Text(d.GetGreenGain()); }, "0.4", {"GetGreenColor() -> 20"}},
        {"SetBrightness", [](KrMonitorDevice& d) { d.SetBrightness(0.25); return std::string(); }, "",
         {"SetBrightness(25) -> 1", "SaveBrighntessForMode(25, 4) -> 1"}},
        {"SetContrast", [](KrMonitorDevice& d) { d.SetContrast(0.3); return std::string(); }, "", {"SetContrast(30) -> 1"}},
        {"SetRedGain", [](KrMonitorDevice& d) { d.SetRedGain(0.1); return std::string(); }, "", {"SetRedColor(5) -> 1"}},
        {"SetGreenGain", [](KrMonitorDevice& d) { d.SetGreenGain(0.2); return std::string(); }, "", {"SetGreenColor(10) -> 1"}},
        {"SetBlueGain", [](KrMonitorDevice& d) { d.SetBlueGain(0.3); return std::string(); }, "", {"SetBlueColor(15) -> 1"}},
        {"QueryC", [](KrMonitorDevice& d) { return Text(d.QueryC()); }, "true", {}},
        {"QueryD", [](KrMonitorDevice& d) { return Text(d.QueryD()); }, "true", {}},
        {"InitCalibrationMode",
         [&observer](KrMonitorDevice& d) {
             d.InitCalibrationMode(0.5, &observer);
             return observer.reports.size() == 1 ? Text(observer.reports[0]) : "reports: " + std::to_string(observer.reports.size());
         },
         "1",
         {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1", "SetBrightness(50) -> 1", "SaveBrighntessForMode(50, 4) -> 1"}},
        {"ReapplySettings", [](KrMonitorDevice& d) { d.ReapplySettings(); return std::string(); }, "",
         {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1", "SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1",
          "SetBrightness(100) -> 1", "SaveBrighntessForMode(100, 4) -> 1", "GetBrightness() -> 100", "GetRedColor() -> 5",
          "GetGreenColor() -> 10", "GetBlueColor() -> 15", "SetBrightness(100) -> 1", "SaveBrighntessForMode(100, 4) -> 1",
          "SetRedColor(5) -> 1", "SetGreenColor(10) -> 1", "SetBlueColor(15) -> 1"}},
        {"SetNamedParameter",
         [](KrMonitorDevice& d) {
             char out[32] = "";
             return d.SetNamedParameter("SetCalibrationAlert", "100", out, 0) == out ? std::string(out) : "not out";
         },
         "100", {"Set_Calibration_Alert(100) -> 1"}},
        {"Disconnect", [](KrMonitorDevice& d) { d.Disconnect(); return Text(d.IsConnected()); }, "false", {}},
    };
    KrMonitorDevice* device = create();
    for (const SlotCase& c : cases)
    {
        SCOPED_TRACE(c.operation);
        EXPECT_EQ(c.call(*device), c.result);
        EXPECT_EQ(TakeJournal(), c.journal);
    }
    destroy(device);
}

TEST_F(PluginHostTest, ADeviceErrorReachesTheHostAsItsKrError)
{
    KrMonitorDevice* device = create();
    try
    {
        device->SetNamedParameter(nullptr, "1", nullptr, 0);
        ADD_FAILURE() << "nothing raised";
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 3);
        EXPECT_STREQ(error.Name(), "KrArgErr");
        EXPECT_STREQ(error.File(), "VeltDevice.cpp");
        EXPECT_GT(error.Line(), 0);
        EXPECT_EQ(TakeLog(),
                  Lines{"Error: 3 \"KrArgErr\", file \"VeltDevice.cpp\", line " + std::to_string(error.Line())});
    }
    destroy(device);
}

TEST_F(PluginHostTest, InitPluginKeepsTheStreamsReferenceUntilAnotherStreamComes)
{
    KrMonitorDevice* device = create();
    const auto logsTo = [device](HostRecordingStream& stream) {
        device->Disconnect();
        return stream.TakeText() == "KrVeltDevice::Disconnect\n";
    };
    EXPECT_TRUE(logsTo(*log));
    EXPECT_EQ(log->RefCount(), 2);

    ThePlugin().InitPlugin()(nullptr);
    EXPECT_TRUE(logsTo(*log)) << "a null context changes nothing";

    InstallLogStream(log);
    EXPECT_EQ(log->RefCount(), 2) << "the same stream again: neither retained nor released";
    EXPECT_TRUE(logsTo(*log));

    bool otherDestroyed = false;
    HostRecordingStream* other = new HostRecordingStream(&otherDestroyed);
    InstallLogStream(other);
    EXPECT_EQ(log->RefCount(), 1) << "the first stream released once";
    EXPECT_EQ(other->RefCount(), 1) << "the caller's reference passed over";
    EXPECT_TRUE(logsTo(*other));
    EXPECT_EQ(log->TakeText(), "");

    InstallLogStream(nullptr); // back to the default stream: the other one is released
    EXPECT_TRUE(otherDestroyed);

    log->Retain();
    InstallLogStream(log); // for TearDown
    destroy(device);
}
}
