#include "KrDeviceTestSupport.h"

#include "KrCore/KrError.h"
#include "KrDevices/KrVeltDevice.h"
#include "KrMath/KrTrafo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::string Formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A device whose fields can be read and whose virtual operations say when they run, so that
// tests see which calls go through the table.
class InspectedDevice : public KrVeltDevice
{
public:
    explicit InspectedDevice(Lines* calls = nullptr) : calls(calls) {}

    int32_t DisplayIndex() const { return displayIndex; }
    int32_t Mode() const { return mode; }
    double BaseGamma() const { return baseGamma; }
    double GainScale() const { return gainScale; }
    double Brightness() const { return brightness; }
    double MaxBrightness() const { return maxBrightness; }
    int32_t MonitorType() const { return monitorType; }

    int32_t ConnectMonitor(int32_t display) override
    {
        Note("ConnectMonitor " + std::to_string(display));
        return KrVeltDevice::ConnectMonitor(display);
    }
    void Disconnect() override
    {
        Note("Disconnect");
        KrVeltDevice::Disconnect();
    }
    double GetBrightness() override
    {
        Note("GetBrightness");
        return KrVeltDevice::GetBrightness();
    }
    double GetRedGain() override
    {
        Note("GetRedGain");
        return KrVeltDevice::GetRedGain();
    }
    double GetBlueGain() override
    {
        Note("GetBlueGain");
        return KrVeltDevice::GetBlueGain();
    }
    double GetGreenGain() override
    {
        Note("GetGreenGain");
        return KrVeltDevice::GetGreenGain();
    }
    void SetBrightness(double value) override
    {
        Note("SetBrightness " + Formatted("%g", value));
        KrVeltDevice::SetBrightness(value);
    }
    void SetRedGain(double gain) override
    {
        Note("SetRedGain " + Formatted("%g", gain));
        KrVeltDevice::SetRedGain(gain);
    }
    void SetGreenGain(double gain) override
    {
        Note("SetGreenGain " + Formatted("%g", gain));
        KrVeltDevice::SetGreenGain(gain);
    }
    void SetBlueGain(double gain) override
    {
        Note("SetBlueGain " + Formatted("%g", gain));
        KrVeltDevice::SetBlueGain(gain);
    }
    void InitCalibrationMode(double value, KrProgressObserver* progress) override
    {
        Note("InitCalibrationMode " + Formatted("%g", value));
        KrVeltDevice::InitCalibrationMode(value, progress);
    }

private:
    void Note(const std::string& call)
    {
        if (calls != nullptr)
            calls->push_back(call);
    }

    Lines* calls;
};

class RecordingObserver : public KrProgressObserver
{
public:
    void Unused() override { ADD_FAILURE() << "only ReportProgress is called"; }
    void ReportProgress(double fraction) override { reports.push_back(fraction); }

    std::vector<double> reports;
};

class KrVeltDeviceTest : public KrDeviceTest
{
protected:
    // Sets a monitor value by its state key, display 0.
    static void Preset(const std::string& key, int value) { ASSERT_EQ(VeltEmu_SetValue(("0." + key).c_str(), value), 1) << key; }

    static int Stored(const std::string& key)
    {
        int value = -1;
        EXPECT_EQ(VeltEmu_GetValue(("0." + key).c_str(), &value), 1) << key;
        return value;
    }

    InspectedDevice device;
};

TEST_F(KrVeltDeviceTest, StartsDisconnectedWithItsInitialValues)
{
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(device.DisplayIndex(), 0);
    EXPECT_EQ(device.Mode(), 4);
    EXPECT_EQ(device.BaseGamma(), 2.0);
    EXPECT_EQ(device.GainScale(), 50.0);
    EXPECT_EQ(device.Brightness(), -1.0);
    EXPECT_EQ(device.MaxBrightness(), 100.0);
    EXPECT_EQ(device.MonitorType(), 3);
    EXPECT_EQ(device.QueryA(), 1);
    EXPECT_EQ(device.QueryB(), 1);
    EXPECT_TRUE(device.QueryC());
    EXPECT_TRUE(device.QueryD());
    EXPECT_EQ(TakeJournal(), Lines{});
    EXPECT_EQ(TakeLog(), Lines{});
}

struct ScalingCase
{
    const char* what;
    std::vector<std::pair<const char*, int>> preset; // monitor values before the call
    std::function<double(KrVeltDevice&)> run;       // answers what a getter returns, else 0
    double result;
    Lines journal;
    Lines log;
};

double Set(void (KrVeltDevice::*set)(double), KrVeltDevice& device, double value)
{
    (device.*set)(value);
    return 0.0;
}

std::function<double(KrVeltDevice&)> Setting(void (KrVeltDevice::*set)(double), double value)
{
    return [set, value](KrVeltDevice& device) { return Set(set, device, value); };
}

std::function<double(KrVeltDevice&)> Getting(double (KrVeltDevice::*get)())
{
    return [get](KrVeltDevice& device) { return (device.*get)(); };
}

TEST_F(KrVeltDeviceTest, ScalesValuesBetweenTheHostAndTheSdk)
{
    const ScalingCase cases[] = {
        {"brightness 0.5 is 50 steps",
         {},
         Setting(&KrVeltDevice::SetBrightness, 0.5),
         0.0,
         {"SetBrightness(50) -> 1", "SaveBrighntessForMode(50, 4) -> 1"},
         {"KrVeltDevice::SetBrightness 0.500000", "Velt: SetBrightness(50)", "Velt: SaveBrightnessForMode( 50, 4) -> 1"}},
        {"brightness is cut toward zero",
         {},
         Setting(&KrVeltDevice::SetBrightness, 0.999),
         0.0,
         {"SetBrightness(99) -> 1", "SaveBrighntessForMode(99, 4) -> 1"},
         {"KrVeltDevice::SetBrightness 0.999000", "Velt: SetBrightness(99)", "Velt: SaveBrightnessForMode( 99, 4) -> 1"}},
        {"only the low 8 bits of 260 are sent",
         {},
         Setting(&KrVeltDevice::SetBrightness, 2.6),
         0.0,
         {"SetBrightness(4) -> 1", "SaveBrighntessForMode(4, 4) -> 1"},
         {"KrVeltDevice::SetBrightness 2.600000", "Velt: SetBrightness(260)", "Velt: SaveBrightnessForMode( 260, 4) -> 1"}},
        {"a negative brightness sends the low 8 bits of its steps",
         {},
         Setting(&KrVeltDevice::SetBrightness, -0.5),
         0.0,
         {"SetBrightness(206) -> 0", "SaveBrighntessForMode(206, 4) -> 1"},
         {"KrVeltDevice::SetBrightness -0.500000", "Velt: SetBrightness(-50)", "Velt: SaveBrightnessForMode( -50, 4) -> 1"}},
        {"NaN brightness is 0 steps",
         {},
         Setting(&KrVeltDevice::SetBrightness, kNaN),
         0.0,
         {"SetBrightness(0) -> 1", "SaveBrighntessForMode(0, 4) -> 1"},
         {"KrVeltDevice::SetBrightness nan", "Velt: SetBrightness(0)", "Velt: SaveBrightnessForMode( 0, 4) -> 1"}},
        {"infinite brightness is the largest 32-bit number of steps",
         {},
         Setting(&KrVeltDevice::SetBrightness, kInfinity),
         0.0,
         {"SetBrightness(255) -> 0", "SaveBrighntessForMode(255, 4) -> 1"},
         {"KrVeltDevice::SetBrightness inf", "Velt: SetBrightness(2147483647)",
          "Velt: SaveBrightnessForMode( 2147483647, 4) -> 1"}},
        {"minus infinity is the smallest",
         {},
         Setting(&KrVeltDevice::SetBrightness, -kInfinity),
         0.0,
         {"SetBrightness(0) -> 1", "SaveBrighntessForMode(0, 4) -> 1"},
         {"KrVeltDevice::SetBrightness -inf", "Velt: SetBrightness(-2147483648)",
          "Velt: SaveBrightnessForMode( -2147483648, 4) -> 1"}},
        {"a finite brightness beyond 32 bits is cut to the range",
         {},
         Setting(&KrVeltDevice::SetBrightness, 3e7),
         0.0,
         {"SetBrightness(255) -> 0", "SaveBrighntessForMode(255, 4) -> 1"},
         {"KrVeltDevice::SetBrightness 30000000.000000", "Velt: SetBrightness(2147483647)",
          "Velt: SaveBrightnessForMode( 2147483647, 4) -> 1"}},
        {"brightness read back",
         {},
         Getting(&KrVeltDevice::GetBrightness),
         0.8,
         {"GetBrightness() -> 80"},
         {"Velt: GetBrightness -> 80", "KrVeltDevice::GetBrightness -> 0.800000"}},
        {"contrast 0.75 is 75 steps",
         {},
         Setting(&KrVeltDevice::SetContrast, 0.75),
         0.0,
         {"SetContrast(75) -> 1"},
         {"KrVeltDevice::SetContrast 0.750000", "Velt: SetContrast(75)"}},
        {"contrast 2.6 sends the low 8 bits",
         {},
         Setting(&KrVeltDevice::SetContrast, 2.6),
         0.0,
         {"SetContrast(4) -> 1"},
         {"KrVeltDevice::SetContrast 2.600000", "Velt: SetContrast(260)"}},
        {"contrast 75 reads as 0.75",
         {{"contrast", 75}},
         Getting(&KrVeltDevice::GetContrast),
         0.75,
         {"GetContrast() -> 75"},
         {"Velt: GetContrast -> 75", "KrVeltDevice::GetContrast -> 0.750000"}},
        {"red gain 1.0 is 50 steps",
         {},
         Setting(&KrVeltDevice::SetRedGain, 1.0),
         0.0,
         {"SetRedColor(50) -> 1"},
         {"KrVeltDevice::SetRedGain 1.000000", "Velt: SetRedColor(50)"}},
        {"green gain 0.5 is 25 steps",
         {},
         Setting(&KrVeltDevice::SetGreenGain, 0.5),
         0.0,
         {"SetGreenColor(25) -> 1"},
         {"KrVeltDevice::SetGreenGain 0.500000", "Velt: SetGreenColor(25)"}},
        {"blue gain 1.28 is 64 steps",
         {},
         Setting(&KrVeltDevice::SetBlueGain, 1.28),
         0.0,
         {"SetBlueColor(64) -> 1"},
         {"KrVeltDevice::SetBlueGain 1.280000", "Velt: SetBlueColor(64)"}},
        {"a gain beyond the SDK's range goes as its whole steps",
         {},
         Setting(&KrVeltDevice::SetGreenGain, 2.6),
         0.0,
         {"SetGreenColor(130) -> 0"},
         {"KrVeltDevice::SetGreenGain 2.600000", "Velt: SetGreenColor(130)"}},
        {"NaN gain is 0 steps",
         {},
         Setting(&KrVeltDevice::SetRedGain, kNaN),
         0.0,
         {"SetRedColor(0) -> 1"},
         {"KrVeltDevice::SetRedGain nan", "Velt: SetRedColor(0)"}},
        {"infinite gain is the largest 32-bit number of steps",
         {},
         Setting(&KrVeltDevice::SetBlueGain, kInfinity),
         0.0,
         {"SetBlueColor(255) -> 0"},
         {"KrVeltDevice::SetBlueGain inf", "Velt: SetBlueColor(2147483647)"}},
        {"red 64 reads as 1.28",
         {{"red", 64}},
         Getting(&KrVeltDevice::GetRedGain),
         1.28,
         {"GetRedColor() -> 64"},
         {"Velt: GetRedColor -> 64", "KrVeltDevice::GetRedGain -> 1.280000"}},
        {"green 10 reads as 0.2",
         {{"green", 10}},
         Getting(&KrVeltDevice::GetGreenGain),
         0.2,
         {"GetGreenColor() -> 10"},
         {"Velt: GetGreenColor -> 10", "KrVeltDevice::GetGreenGain -> 0.200000"}},
        {"blue 5 reads as 0.1",
         {{"blue", 5}},
         Getting(&KrVeltDevice::GetBlueGain),
         0.1,
         {"GetBlueColor() -> 5"},
         {"Velt: GetBlueColor -> 5", "KrVeltDevice::GetBlueGain -> 0.100000"}},
    };
    for (const ScalingCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        VeltEmu_Reset();
        for (const auto& [key, value] : c.preset)
            Preset(key, value);
        Settle();
        EXPECT_DOUBLE_EQ(c.run(device), c.result);
        EXPECT_EQ(TakeJournal(), c.journal);
        EXPECT_EQ(TakeLog(), c.log);
    }
}

TEST_F(KrVeltDeviceTest, CountsBrightnessStepsByTheConnectedMonitorsType)
{
    const struct
    {
        const char* type;
        double brightnessOf13;
        const char* halfBrightnessSent;
    } cases[] = {
        {"0", 0.13, "SetBrightness(50) -> 1"},
        {"1", 0.13, "SetBrightness(50) -> 1"},
        {"2", 1.0, "SetBrightness(6) -> 1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string("monitor type ") + c.type);
        KrScopedEnvironment type("VELTDLL_MONITOR_TYPE", c.type);
        VeltEmu_Reset();
        device.SetNamedParameter("SetMaxBrightness", "20", nullptr, 0); // a connect sets it anew
        ASSERT_EQ(device.ConnectMonitor(0), 0);
        Preset("brightness", 13);
        EXPECT_DOUBLE_EQ(device.GetBrightness(), c.brightnessOf13);
        Settle();
        device.SetBrightness(0.5);
        EXPECT_EQ(TakeJournal().at(0), c.halfBrightnessSent);
    }
}

struct ConnectCase
{
    const char* what;
    int displays;
    int32_t display;
    const char* compatible; // VELTDLL_COMPATIBLE, null: unset
    const char* type;       // VELTDLL_MONITOR_TYPE, null: unset
    int32_t result;
    int32_t monitorType;
    double maxBrightness; // 20 before the connect
    Lines journal;
    Lines log;
};

TEST_F(KrVeltDeviceTest, ConnectsToTheMonitorOfADisplay)
{
    const Lines compatibleBirch = {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1"};
    const Lines compatibleBirchLog = {"Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 1"};
    const auto with = [](Lines first, const Lines& rest) {
        first.insert(first.end(), rest.begin(), rest.end());
        return first;
    };
    const ConnectCase cases[] = {
        {"one display: no switch", 1, 0, nullptr, nullptr, 0, 1, 100.0, compatibleBirch,
         with({"KrVeltDevice::Disconnect"}, compatibleBirchLog)},
        {"no display known: no switch", 0, 0, nullptr, nullptr, 0, 1, 100.0, compatibleBirch,
         with({"KrVeltDevice::Disconnect"}, compatibleBirchLog)},
        {"two displays, the first is the SDK's 1", 2, 0, nullptr, nullptr, 0, 1, 100.0,
         with({"SwitchDisplay(1) -> 1"}, compatibleBirch),
         with({"KrVeltDevice::Disconnect", "VeltDevice: SwitchDisplay(true)"}, compatibleBirchLog)},
        {"two displays, the second is the SDK's 0", 2, 1, nullptr, nullptr, 0, 1, 100.0,
         with({"SwitchDisplay(0) -> 1"}, compatibleBirch),
         with({"KrVeltDevice::Disconnect", "VeltDevice: SwitchDisplay(false)"}, compatibleBirchLog)},
        {"three displays, the third is the SDK's 0", 3, 2, nullptr, nullptr, 0, 1, 100.0,
         with({"SwitchDisplay(0) -> 1"}, compatibleBirch),
         with({"KrVeltDevice::Disconnect", "VeltDevice: SwitchDisplay(false)"}, compatibleBirchLog)},
        {"an incompatible system asks nothing more", 1, 0, "0", nullptr, 66, 3, 20.0, {"CheckCompatibleSystem() -> 0"},
         {"KrVeltDevice::Disconnect", "Velt: CheckCompatibleSystem -> false"}},
        {"a Cedar has 13 steps", 1, 0, nullptr, "2", 0, 2, 13.0, {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 2"},
         {"KrVeltDevice::Disconnect", "Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 2"}},
        {"type 3 is asked again in mode 0, and the mode put back", 1, 0, nullptr, "3", 0, 3, 100.0,
         {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 3", "ReadMode() -> 2", "ChangeMode(0) -> 1",
          "GetMonitorType() -> 3", "ChangeMode(2) -> 1"},
         {"KrVeltDevice::Disconnect", "Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 3",
          "Velt: ReadMode -> 2", "Velt: ChangeMode(0)", "Velt: GetMonitorType -> 3", "Velt: ChangeMode(2)"}},
    };
    for (const ConnectCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        KrScopedEnvironment compatibleSystem("VELTDLL_COMPATIBLE", c.compatible);
        KrScopedEnvironment type("VELTDLL_MONITOR_TYPE", c.type);
        ReleaseDisplayList();
        AttachDisplays(c.displays);
        VeltEmu_Reset();
        Preset("mode", 2);
        InspectedDevice connecting;
        connecting.SetNamedParameter("SetMaxBrightness", "20", nullptr, 0);
        Settle();

        EXPECT_EQ(connecting.ConnectMonitor(c.display), c.result);
        EXPECT_EQ(connecting.IsConnected(), c.result == 0);
        EXPECT_EQ(connecting.DisplayIndex(), c.display);
        EXPECT_EQ(connecting.MonitorType(), c.monitorType);
        EXPECT_EQ(connecting.MaxBrightness(), c.maxBrightness);
        EXPECT_EQ(TakeJournal(), c.journal);
        EXPECT_EQ(TakeLog(), c.log);
    }
}

TEST_F(KrVeltDeviceTest, DisconnectForgetsTheMonitorWithoutAskingTheSdk)
{
    ASSERT_EQ(device.ConnectMonitor(0), 0);
    Settle();
    device.Disconnect();
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(device.MonitorType(), 3);
    EXPECT_EQ(TakeJournal(), Lines{});
    EXPECT_EQ(TakeLog(), Lines{"KrVeltDevice::Disconnect"});
}

struct CalibrationModeCase
{
    const char* what;
    double brightness;
    bool observed;
    Lines journal;
    Lines log;
    double brightnessAfter;
};

TEST_F(KrVeltDeviceTest, InitCalibrationModeSwitchesModeAndSetsABrightnessThatIsNotNegative)
{
    const Lines modeJournal = {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1"};
    const Lines modeLog = {"Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)"};
    const CalibrationModeCase cases[] = {
        {"brightness 0.5", 0.5, true,
         {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1", "SetBrightness(50) -> 1", "SaveBrighntessForMode(50, 4) -> 1"},
         {"KrVeltDevice::InitCalibrationMode 0.500000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          "KrVeltDevice::SetBrightness 0.500000", "Velt: SetBrightness(50)", "Velt: SaveBrightnessForMode( 50, 4) -> 1"},
         0.5},
        {"brightness 0 is set", 0.0, false,
         {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1", "SetBrightness(0) -> 1", "SaveBrighntessForMode(0, 4) -> 1"},
         {"KrVeltDevice::InitCalibrationMode 0.000000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          "KrVeltDevice::SetBrightness 0.000000", "Velt: SetBrightness(0)", "Velt: SaveBrightnessForMode( 0, 4) -> 1"},
         0.0},
        {"a negative brightness is not set", -1.0, true, modeJournal,
         {"KrVeltDevice::InitCalibrationMode -1.000000", modeLog[0], modeLog[1]}, -1.0},
        {"NaN is not set", kNaN, true, modeJournal, {"KrVeltDevice::InitCalibrationMode nan", modeLog[0], modeLog[1]}, -1.0},
    };
    for (const CalibrationModeCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        VeltEmu_Reset();
        InspectedDevice calibrating;
        RecordingObserver observer;
        Settle();
        calibrating.InitCalibrationMode(c.brightness, c.observed ? &observer : nullptr);
        EXPECT_EQ(Stored("mode"), 4);
        EXPECT_EQ(observer.reports, c.observed ? std::vector<double>{1.0} : std::vector<double>{});
        EXPECT_EQ(calibrating.Brightness(), c.brightnessAfter);
        EXPECT_EQ(TakeJournal(), c.journal);
        EXPECT_EQ(TakeLog(), c.log);
    }
}

TEST_F(KrVeltDeviceTest, ReapplySettingsGoesThroughTheTableInItsOrder)
{
    Preset("red", 10);
    Preset("green", 20);
    Preset("blue", 40);
    Lines calls;
    InspectedDevice reapplying(&calls);
    Settle();
    reapplying.ReapplySettings();
    const Lines expectedCalls = {"ConnectMonitor 0", "Disconnect",    "InitCalibrationMode 1", "SetBrightness 1",
                                 "GetBrightness",    "GetRedGain",    "GetGreenGain",          "GetBlueGain",
                                 "SetBrightness 1",  "SetRedGain 0.2", "SetGreenGain 0.4",     "SetBlueGain 0.8"};
    EXPECT_EQ(calls, expectedCalls);
    const Lines expectedJournal = {
        "CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1", "SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1",
        "SetBrightness(100) -> 1",      "SaveBrighntessForMode(100, 4) -> 1",
        "GetBrightness() -> 100",       "GetRedColor() -> 10",   "GetGreenColor() -> 20",        "GetBlueColor() -> 40",
        "SetBrightness(100) -> 1",      "SaveBrighntessForMode(100, 4) -> 1",
        "SetRedColor(10) -> 1",         "SetGreenColor(20) -> 1", "SetBlueColor(40) -> 1"};
    EXPECT_EQ(TakeJournal(), expectedJournal);
}

TEST_F(KrVeltDeviceTest, DestroyDisconnectsThroughTheTableAndOnceMoreInTheDestructor)
{
    Lines calls;
    KrVeltDevice* destroyed = new InspectedDevice(&calls);
    Settle();
    destroyed->Destroy();
    EXPECT_EQ(calls, Lines{"Disconnect"});
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltDevice::Disconnect", "KrVeltDevice::Disconnect"}));
    EXPECT_EQ(TakeJournal(), Lines{});
}

struct NamedCase
{
    const char* what;
    const char* name;
    const char* value;
    const char* out; // null: out is not written
    Lines journal;
    Lines log;
    double baseGamma;
    double maxBrightness;
};

TEST_F(KrVeltDeviceTest, SetNamedParameterKnowsFourNames)
{
    const NamedCase cases[] = {
        {"base gamma", "SetBaseGamma", "2.45", "2.5", {}, {}, 2.45, 100.0},
        {"base gamma after blanks, with trailing text", "SetBaseGamma", " \t1.8xyz", "1.8", {}, {}, 1.8, 100.0},
        {"base gamma that is no number", "SetBaseGamma", "abc", "0.0", {}, {}, 0.0, 100.0},
        {"a huge base gamma is cut to 31 characters", "SetBaseGamma", "1e300", "1000000000000000052504760255204",
         {}, {}, 1e300, 100.0},
        {"calibration alert", "SetCalibrationAlert", "300", "300", {"Set_Calibration_Alert(300) -> 1"},
         {"Velt: Set_Calibration_Alert(300)"}, 2.0, 100.0},
        {"calibration alert with trailing text", "SetCalibrationAlert", " 100 hours", "100",
         {"Set_Calibration_Alert(100) -> 1"}, {"Velt: Set_Calibration_Alert(100)"}, 2.0, 100.0},
        {"calibration alert that is no number", "SetCalibrationAlert", "never", "0", {"Set_Calibration_Alert(0) -> 1"},
         {"Velt: Set_Calibration_Alert(0)"}, 2.0, 100.0},
        {"calibration alert beyond 32 bits", "SetCalibrationAlert", "99999999999", "2147483647",
         {"Set_Calibration_Alert(2147483647) -> 0"}, {"Velt: Set_Calibration_Alert(2147483647)"}, 2.0, 100.0},
        {"calibration alert below 32 bits", "SetCalibrationAlert", "-99999999999", "-2147483648",
         {"Set_Calibration_Alert(-2147483648) -> 0"}, {"Velt: Set_Calibration_Alert(-2147483648)"}, 2.0, 100.0},
        {"lock", "SetOSDLock", "1", nullptr, {"Lock_OSD() -> 1"}, {"Velt: Lock_OSD"}, 2.0, 100.0},
        {"any non-zero number locks", "SetOSDLock", "-3", nullptr, {"Lock_OSD() -> 1"}, {"Velt: Lock_OSD"}, 2.0, 100.0},
        {"unlock", "SetOSDLock", "0", nullptr, {"Unlock_OSD() -> 1"}, {"Velt: Unlock_OSD"}, 2.0, 100.0},
        {"no number unlocks", "SetOSDLock", "yes", nullptr, {"Unlock_OSD() -> 1"}, {"Velt: Unlock_OSD"}, 2.0, 100.0},
        {"names are compared with case", "setosdlock", "1", nullptr, {}, {}, 2.0, 100.0},
        {"names are compared whole", "SetBaseGamma ", "1.5", nullptr, {}, {}, 2.0, 100.0},
        {"other names do nothing", "SetContrast", "5", nullptr, {}, {}, 2.0, 100.0},
        {"maximum brightness", "SetMaxBrightness", "13", nullptr, {}, {"KrVeltDevice::SetMaxBrightness 13.000000"}, 2.0, 13.0},
        {"maximum brightness below 1 becomes 1", "SetMaxBrightness", "0.5", nullptr, {},
         {"KrVeltDevice::SetMaxBrightness 1.000000"}, 2.0, 1.0},
        {"maximum brightness that is no number becomes 1", "SetMaxBrightness", "bright", nullptr, {},
         {"KrVeltDevice::SetMaxBrightness 1.000000"}, 2.0, 1.0},
        {"maximum brightness NaN becomes 1", "SetMaxBrightness", "nan", nullptr, {},
         {"KrVeltDevice::SetMaxBrightness 1.000000"}, 2.0, 1.0},
        {"a known name without a value does nothing", "SetBaseGamma", nullptr, nullptr, {}, {}, 2.0, 100.0},
        {"nor for the alert", "SetCalibrationAlert", nullptr, nullptr, {}, {}, 2.0, 100.0},
        {"nor for the lock", "SetOSDLock", nullptr, nullptr, {}, {}, 2.0, 100.0},
        {"nor for the maximum brightness", "SetMaxBrightness", nullptr, nullptr, {}, {}, 2.0, 100.0},
    };
    constexpr size_t kOutSize = 64;
    const std::string untouched(kOutSize - 1, 'X');
    for (const NamedCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        InspectedDevice named;
        char out[kOutSize];
        std::memcpy(out, untouched.c_str(), kOutSize);
        Settle();
        EXPECT_EQ(named.SetNamedParameter(c.name, c.value, out, 0), out);
        EXPECT_STREQ(out, c.out != nullptr ? c.out : untouched.c_str());
        EXPECT_EQ(std::string(out + KrVeltDevice::kNamedParameterOutSize), untouched.substr(KrVeltDevice::kNamedParameterOutSize))
            << "written beyond 32 bytes";
        EXPECT_EQ(TakeJournal(), c.journal);
        EXPECT_EQ(TakeLog(), c.log);
        EXPECT_EQ(named.BaseGamma(), c.baseGamma);
        EXPECT_EQ(named.MaxBrightness(), c.maxBrightness);

        InspectedDevice withoutOut;
        EXPECT_EQ(withoutOut.SetNamedParameter(c.name, c.value, nullptr, 0), nullptr);
        EXPECT_EQ(withoutOut.BaseGamma(), c.baseGamma);
    }
}

TEST_F(KrVeltDeviceTest, SetNamedParameterWithoutANameRaisesArgErr)
{
    char out[KrVeltDevice::kNamedParameterOutSize] = "kept";
    try
    {
        device.SetNamedParameter(nullptr, "1", out, 0);
        ADD_FAILURE() << "nothing raised";
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 3);
        EXPECT_STREQ(error.Name(), "KrArgErr");
        EXPECT_STREQ(error.File(), "VeltDevice.cpp");
        const Lines log = TakeLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], "Error: 3 \"KrArgErr\", file \"VeltDevice.cpp\", line " + std::to_string(error.Line()));
    }
    EXPECT_STREQ(out, "kept");
    EXPECT_EQ(TakeJournal(), Lines{});
}
}
