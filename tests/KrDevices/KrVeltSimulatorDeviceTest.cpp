// The simulator device against small state files, each in the test's own folder, which the
// fixture makes the current directory.
#include "../KrCore/KrExpectError.h"
#include "KrDeviceTestSupport.h"

#include "KrCore/KrError.h"
#include "KrData/KrDataBase.h"
#include "KrDevices/KrVeltSimulatorDevice.h"
#include "KrMath/KrTrafo.h"
#include "Krio/KrFileSpec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{
// Two sections: Display0 names Left, which answers for display 1, and Display1 names Right,
// which answers for display 0.
const std::string kSwappedPorts = "Display0 = Left\n"
                                  "Display1 = Right\n"
                                  "Left = \n{\n\tVeltPort = 1\n\tBrightness = 0.3\n}\n"
                                  "Right = \n{\n\tVeltPort = 0\n\tBrightness = 0.8\n}\n";

// One section for display 0 holding the given lines.
std::string OneSection(const std::string& lines)
{
    return "Display0 = Main\nDisplay1 = Other\nMain = \n{\n\tVeltPort = 0\n" + lines + "}\n";
}

std::string Fixed(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

class InspectedSimulator : public KrVeltSimulatorDevice
{
public:
    int32_t SimulatedDisplay() const { return simulatedDisplay; }
    double MaxBrightness() const { return maxBrightness; }
    double Brightness() const { return brightness; }
    double BaseGamma() const { return baseGamma; }
};

// Answers the level through a function of the level and the channel.
class FunctionTrafo : public KrTrafo
{
public:
    explicit FunctionTrafo(std::function<double(int level, int channel)> output) : output(std::move(output)) {}

    void TransformInto(const KrVectorData& in, KrVectorData& out) const override
    {
        const int level = static_cast<int>(in.Get(0));
        KrVector result(3, in.GetType());
        for (int c = 0; c < 3; ++c)
            result.At(c) = output(level, c);
        out.Assign(result);
    }

private:
    std::function<double(int, int)> output;
};

class HostObserver : public KrProgressObserver
{
public:
    void ReportProgress(double fraction) override { reports.push_back(fraction); }

    std::vector<double> reports;
};

class SimulatorTest : public KrDeviceTest
{
protected:
    void SetUp() override
    {
        KrDeviceTest::SetUp();
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
    }

    void TearDown() override
    {
        std::filesystem::current_path(previousFolder);
        KrDeviceTest::TearDown();
    }

    void WriteState(const std::string& text) { KrTempFolder::Write(statePath, text); }
    std::string ReadState() const { return KrTempFolder::Read(statePath); }

    // The value at path in the state file as it is now, "(none)" when missing.
    std::string Stored(const char* path) const
    {
        KrDataBase state;
        state.Load(KrFileSpec(KrString(KrVeltSimulatorDevice::kStateFileName)));
        return state.GetString(path, "(none)").Text();
    }

    // The " %f" list at path, split at the blanks.
    std::vector<std::string> StoredNumbers(const char* path) const
    {
        std::vector<std::string> list;
        const std::string text = Stored(path);
        for (size_t at = 0; at < text.size();)
        {
            const size_t next = text.find(' ', at + 1);
            list.push_back(text.substr(at + 1, next - at - 1));
            at = next == std::string::npos ? text.size() : next;
        }
        return list;
    }

    // Connects to display 0 and forgets the log and journal so far.
    void Connect()
    {
        ASSERT_EQ(device.ConnectMonitor(0), 0);
        Settle();
    }

    const std::string statePath = folder.Path(KrVeltSimulatorDevice::kStateFileName);
    InspectedSimulator device;

private:
    std::filesystem::path previousFolder;
};

TEST_F(SimulatorTest, ConnectFindsTheSectionByVeltPortNotBySlot)
{
    WriteState(kSwappedPorts);
    EXPECT_EQ(device.ConnectMonitor(0), 0);
    EXPECT_TRUE(device.IsConnected());
    EXPECT_EQ(device.SimulatedDisplay(), 1);
    EXPECT_EQ(Stored("Right/_Connected"), "true");
    EXPECT_EQ(Stored("Left/_Connected"), "(none)");
    EXPECT_DOUBLE_EQ(device.GetBrightness(), 0.8);

    EXPECT_EQ(device.ConnectMonitor(1), 0);
    EXPECT_EQ(device.SimulatedDisplay(), 0);
    EXPECT_EQ(Stored("Right/_Connected"), "false") << "the disconnect still uses the previous display";
    EXPECT_EQ(Stored("Left/_Connected"), "true");
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltSimulatorDevice::Disconnect", "KrVeltSimulatorDevice::ConnectMonitor(0) succeeded",
                                "KrVeltSimulatorDevice::GetBrightness -> 0.800000", "KrVeltSimulatorDevice::Disconnect",
                                "KrVeltSimulatorDevice::ConnectMonitor(1) succeeded"}));
    EXPECT_EQ(TakeJournal(), Lines{}) << "the simulator never calls the SDK";
}

TEST_F(SimulatorTest, TheShippedDefaultFileSimulatesDisplayZeroOnly)
{
    WriteState(KrTempFolder::Read(KR_DEFAULT_SIMULATION_FILE));
    ASSERT_FALSE(ReadState().empty());
    EXPECT_EQ(device.ConnectMonitor(0), 0);
    EXPECT_EQ(device.SimulatedDisplay(), 0);
    EXPECT_EQ(device.MaxBrightness(), 100.0);
    EXPECT_DOUBLE_EQ(device.GetBrightness(), 0.8);
    EXPECT_RAISES(device.ConnectMonitor(1), KrErrIOErr);
}

TEST_F(SimulatorTest, MaxBrightnessIsTakenFromTheSectionAtConnect)
{
    const struct
    {
        std::string line;
        double expected;
    } cases[] = {
        {"\tMaxBrightness = 13\n", 13.0},
        {"", 100.0},
        // A brightness is divided by it: never below one step, as the named setting keeps it.
        {"\tMaxBrightness = 0\n", 1.0},
        {"\tMaxBrightness = nan\n", 1.0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.line);
        WriteState(OneSection(c.line));
        ASSERT_EQ(device.ConnectMonitor(0), 0);
        EXPECT_EQ(device.MaxBrightness(), c.expected);
    }
}

TEST_F(SimulatorTest, ConnectToADisplayNoSectionAnswersForRaisesAndLeavesTheFile)
{
    WriteState(kSwappedPorts);
    EXPECT_RAISES(device.ConnectMonitor(2), KrErrIOErr);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(Stored("Right/_Connected"), "false") << "the disconnect still uses the previous display";
    EXPECT_EQ(Stored("Left/_Connected"), "(none)");
    for (const std::string& line : TakeLog())
        EXPECT_EQ(line.find("ConnectMonitor"), std::string::npos) << line;

    // Every file operation on display 2 fails the same way; the disconnect swallows it.
    const std::string before = ReadState();
    EXPECT_RAISES(device.GetContrast(), KrErrIOErr);
    EXPECT_RAISES(device.SetContrast(0.5), KrErrIOErr);
    device.Disconnect();
    EXPECT_EQ(ReadState(), before);
}

// The code of the KrError that action raises, or -1 when it raises none.
int32_t RaisedCode(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const KrError& error)
    {
        return error.Code();
    }
    return -1;
}

TEST_F(SimulatorTest, BrokenStateFilesRaiseTheirErrorsAndAreNeverChanged)
{
    const struct
    {
        const char* what;
        std::string text; // empty: no file at all
        KrErrorKind kind;
    } cases[] = {
        {"no file", "", KrErrFileNotOpen},
        {"no display entries", "Main = \n{\n\tVeltPort = 0\n}\n", KrErrIOErr},
        {"no VeltPort", "Display0 = Main\nMain = \n{\n\tBrightness = 0.5\n}\n", KrErrIOErr},
        {"slot naming a plain entry", "Display0 = Main\nMain = 0\n", KrErrIOErr},
        {"malformed", "Display0 = Main\nMain=0\n", KrErrFormatErr},
        {"unclosed quote", "Display0 = \"Main\n", KrErrFormatErr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(statePath);
        if (!c.text.empty())
            WriteState(c.text);
        EXPECT_EQ(RaisedCode([&] { device.ConnectMonitor(0); }), c.kind.code);
        EXPECT_FALSE(device.IsConnected());
        EXPECT_EQ(RaisedCode([&] { device.SetBrightness(0.5); }), c.kind.code);
        EXPECT_EQ(RaisedCode([&] { device.GetBrightness(); }), c.kind.code);
        EXPECT_EQ(ReadState(), c.text);
        EXPECT_EQ(folder.Names().count(KrVeltSimulatorDevice::kStateFileName), c.text.empty() ? 0u : 1u);
    }
}

TEST_F(SimulatorTest, PresetsAreReadUntilTheSimulatorWritesItsOwnKey)
{
    WriteState(OneSection("\tBrightness = 0.8\n"));
    Connect();
    EXPECT_DOUBLE_EQ(device.GetBrightness(), 0.8);
    device.SetBrightness(0.5);
    EXPECT_DOUBLE_EQ(device.GetBrightness(), 0.5);
    EXPECT_EQ(Stored("Main/Brightness"), "0.8");
    EXPECT_EQ(Stored("Main/_Brightness"), "0.500000");
    EXPECT_EQ(device.Brightness(), -1.0) << "setting does not fill the brightness field";

    // An empty underscore entry still wins over the preset.
    WriteState(OneSection("\tContrast = 0.7\n\t_Contrast = \n"));
    EXPECT_EQ(device.FetchSetting("Contrast", "1.0"), KrString(""));
    EXPECT_EQ(device.GetContrast(), 0.0);
}

TEST_F(SimulatorTest, GettersDefaultToOneAndSettersStoreUnderscoreKeys)
{
    const struct
    {
        const char* key;
        double (KrVeltSimulatorDevice::*get)();
        void (KrVeltSimulatorDevice::*set)(double);
        const char* name;
    } cases[] = {
        {"Contrast", &KrVeltSimulatorDevice::GetContrast, &KrVeltSimulatorDevice::SetContrast, "Contrast"},
        {"RedGain", &KrVeltSimulatorDevice::GetRedGain, &KrVeltSimulatorDevice::SetRedGain, "RedGain"},
        {"GreenGain", &KrVeltSimulatorDevice::GetGreenGain, &KrVeltSimulatorDevice::SetGreenGain, "GreenGain"},
        {"BlueGain", &KrVeltSimulatorDevice::GetBlueGain, &KrVeltSimulatorDevice::SetBlueGain, "BlueGain"},
        {"Brightness", &KrVeltSimulatorDevice::GetBrightness, &KrVeltSimulatorDevice::SetBrightness, "Brightness"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.key);
        WriteState(OneSection(""));
        Connect();
        EXPECT_EQ((device.*c.get)(), 1.0);
        (device.*c.set)(0.25);
        EXPECT_EQ(Stored((std::string("Main/_") + c.key).c_str()), "0.250000");
        EXPECT_EQ((device.*c.get)(), 0.25);
        const std::string name = c.name;
        EXPECT_EQ(TakeLog(), (Lines{"KrVeltSimulatorDevice::Get" + name + " -> 1.000000",
                                    "KrVeltSimulatorDevice::Set" + name + " 0.250000",
                                    "KrVeltSimulatorDevice::Get" + name + " -> 0.250000"}));
    }
    EXPECT_EQ(TakeJournal(), Lines{});
}

TEST_F(SimulatorTest, BrightnessIsStoredAsTheStepTheMonitorWouldGet)
{
    const struct
    {
        const char* maxBrightness;
        double value;
        double stored;
    } cases[] = {
        {"100", 0.123, 0.12},
        {"13", 0.123, 1.0 / 13.0},
        {"100", 2.6, 0.04}, // the low 8 bits of 260
        {"100", -0.5, 206.0 / 100.0}, // -50 is 0xCE in its low 8 bits
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.value);
        WriteState(OneSection(std::string("\tMaxBrightness = ") + c.maxBrightness + "\n"));
        Connect();
        device.SetBrightness(c.value);
        EXPECT_EQ(Stored("Main/_Brightness"), Fixed(c.stored));
        EXPECT_EQ(TakeLog(), Lines{"KrVeltSimulatorDevice::SetBrightness " + Fixed(c.value)});
    }
}

TEST_F(SimulatorTest, CalibrationStoresTheSampledTablesWithSixDecimals)
{
    WriteState(OneSection("\tBrightness = 0.6\n"));
    Connect();
    FunctionTrafo identity([](int level, int) { return level; });
    device.SetRGBCalibration(&identity, nullptr);

    std::string expected;
    for (int i = 0; i < 256; ++i)
        expected += " " + Fixed(static_cast<float>(i / 255.0));
    EXPECT_EQ(expected.substr(0, 18), " 0.000000 0.003922");
    EXPECT_EQ(expected.substr(expected.size() - 9), " 1.000000");
    for (const char* key : {"Main/_RLUT", "Main/_GLUT", "Main/_BLUT"})
        EXPECT_EQ(Stored(key), expected) << key;
    EXPECT_DOUBLE_EQ(device.Brightness(), 0.6) << "an unknown brightness is read back from the file";
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltSimulatorDevice::SetRGBCalibration", "KrVeltSimulatorDevice::GetBrightness -> 0.600000"}));
    EXPECT_EQ(TakeJournal(), Lines{});
}

TEST_F(SimulatorTest, CalibrationKeepsEachTableNonDecreasingAndValuesUncut)
{
    WriteState(OneSection(""));
    Connect();
    // Red falls at step 11 and goes below zero at step 12; blue runs above 1.
    FunctionTrafo transform([](int level, int channel) {
        if (channel == 0)
            return level == 11 ? 5.0 : level == 12 ? -3.0 : double(level);
        return channel == 2 ? 2.0 * level : double(level);
    });
    device.SetRGBCalibration(&transform, nullptr);

    const std::vector<std::string> red = StoredNumbers("Main/_RLUT");
    const std::vector<std::string> green = StoredNumbers("Main/_GLUT");
    const std::vector<std::string> blue = StoredNumbers("Main/_BLUT");
    ASSERT_EQ(red.size(), 256u);
    ASSERT_EQ(blue.size(), 256u);
    EXPECT_EQ(red[10], Fixed(static_cast<float>(10 / 255.0)));
    EXPECT_EQ(red[11], red[10]);
    EXPECT_EQ(red[12], red[10]);
    EXPECT_EQ(red[13], Fixed(static_cast<float>(13 / 255.0)));
    EXPECT_EQ(green[11], Fixed(static_cast<float>(11 / 255.0)));
    EXPECT_EQ(blue[255], "2.000000");
}

TEST_F(SimulatorTest, GammaCurveReachesTheSimulatorsTablesWithoutBaseGammaOrWait)
{
    static std::vector<int64_t> sleeps;
    sleeps.clear();
    const KrPlatformSleeper previousSleeper = KrPlatformSetSleeper([](int64_t ms) { sleeps.push_back(ms); });
    WriteState(OneSection(""));
    Connect();
    device.SetGammaCurve(0.5, nullptr);
    KrPlatformSetSleeper(previousSleeper);
    EXPECT_EQ(sleeps, std::vector<int64_t>{});
    for (const char* key : {"Main/_RLUT", "Main/_GLUT", "Main/_BLUT"})
    {
        SCOPED_TRACE(key);
        const std::vector<std::string> table = StoredNumbers(key);
        ASSERT_EQ(table.size(), 256u);
        for (int i = 0; i < 256; i += 17)
            EXPECT_NEAR(std::stod(table[i]), std::sqrt(i / 255.0), 1e-6) << i;
    }
    EXPECT_EQ(TakeJournal(), Lines{}) << "no upload";
}

TEST_F(SimulatorTest, CalibrationRejectsNonFiniteValuesBeforeStoringAnything)
{
    const double kBad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), 1e300};
    for (double bad : kBad)
    {
        SCOPED_TRACE(bad);
        WriteState(OneSection("\t_RLUT = 0.5\n"));
        Connect();
        const std::string before = ReadState();
        FunctionTrafo transform([bad](int level, int channel) { return level == 200 && channel == 1 ? bad : level; });
        EXPECT_RAISES(device.SetRGBCalibration(&transform, nullptr), KrErrArgErr);
        EXPECT_EQ(ReadState(), before);
    }
    EXPECT_RAISES(device.SetRGBCalibration(nullptr, nullptr), KrErrArgErr);
}

TEST_F(SimulatorTest, InitCalibrationModeSetsOnlyAKnownBrightnessAndReports)
{
    WriteState(OneSection(""));
    Connect();
    HostObserver observer;
    device.InitCalibrationMode(-1.0, &observer);
    EXPECT_EQ(Stored("Main/_Brightness"), "(none)");
    device.InitCalibrationMode(0.5, &observer);
    EXPECT_EQ(Stored("Main/_Brightness"), "0.500000");
    EXPECT_EQ(observer.reports, (std::vector<double>{1.0, 1.0}));
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltSimulatorDevice::InitCalibrationMode -1.000000",
                                "KrVeltSimulatorDevice::InitCalibrationMode 0.500000",
                                "KrVeltSimulatorDevice::SetBrightness 0.500000"}));
    EXPECT_EQ(TakeJournal(), Lines{}) << "no mode change";
}

TEST_F(SimulatorTest, NamedSettingsOtherThanMaxBrightnessAreIgnored)
{
    WriteState(OneSection(""));
    Connect();
    const std::string before = ReadState();
    for (const char* name : {"SetBaseGamma", "SetCalibrationAlert", "SetOSDLock", "setmaxbrightness", "Unknown"})
    {
        SCOPED_TRACE(name);
        char out[KrVeltDevice::kNamedParameterOutSize] = "untouched";
        EXPECT_EQ(device.SetNamedParameter(name, "2.4", out, 0), out);
        EXPECT_STREQ(out, "untouched");
    }
    EXPECT_EQ(device.BaseGamma(), 2.0);
    EXPECT_EQ(device.MaxBrightness(), 100.0);
    EXPECT_EQ(TakeLog(), Lines{});
    EXPECT_EQ(TakeJournal(), Lines{});

    char out[KrVeltDevice::kNamedParameterOutSize] = "untouched";
    EXPECT_EQ(device.SetNamedParameter("SetMaxBrightness", "13", out, 0), out);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(device.MaxBrightness(), 13.0);
    device.SetNamedParameter("SetMaxBrightness", "0.5", nullptr, 0);
    EXPECT_EQ(device.MaxBrightness(), 1.0);
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltDevice::SetMaxBrightness 13.000000", "KrVeltDevice::SetMaxBrightness 1.000000"}));
    EXPECT_RAISES(device.SetNamedParameter(nullptr, "1", out, 0), KrErrArgErr);
    EXPECT_EQ(ReadState(), before);
}

TEST_F(SimulatorTest, DestroyMarksTheDisplayDisconnectedThenLogsBothDisconnects)
{
    WriteState(OneSection(""));
    KrVeltDevice* simulator = new KrVeltSimulatorDevice();
    ASSERT_EQ(simulator->ConnectMonitor(0), 0);
    EXPECT_EQ(Stored("Main/_Connected"), "true");
    Settle();
    simulator->Destroy();
    EXPECT_EQ(Stored("Main/_Connected"), "false");
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltSimulatorDevice::Disconnect", "KrVeltDevice::Disconnect"}));
}
}
