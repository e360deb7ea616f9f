// KrHost run as a process against the emulated monitor, as a user meets it.
#include "KrHostTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
struct HostRun
{
    int status = -1;
    Lines out;
    Lines err;
    Lines journal;
    Lines log; // the file log.txt, when the run wrote one
};

// Runs KrHost in a subfolder of its own, with the monitor's state and journal there and no
// X display; environment holds further NAME=value words.
HostRun RunHost(const KrTempFolder& folder, const std::string& subfolder, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment = {})
{
    std::filesystem::create_directory(folder.Path(subfolder));
    std::string command = "env -u DISPLAY -u VELTDLL_COMPATIBLE -u VELTDLL_MONITOR_TYPE -u VELTDLL_LUT_STATUS "
                          "VELTDLL_JOURNAL=journal.txt VELTDLL_STATE=state.txt";
    for (const std::string& setting : environment)
        command += " " + ShellQuoted(setting);
    command += " " + ShellQuoted(KR_HOST_PROGRAM);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    HostRun run;
    run.status = RunInFolder(folder, command, subfolder);
    const auto read = [&](const char* name) { return SplitLines(KrTempFolder::Read(folder.Path(subfolder + "/" + name))); };
    run.out = read("out.txt");
    run.err = read("err.txt");
    run.journal = read("journal.txt");
    run.log = read("log.txt");
    return run;
}

const char* const kModuleLine = "Module KrVeltDevice (KrMonitorDevice)";
const char* const kSimulatorModuleLine = "Module KrVeltSimulatorDevice (KrMonitorDevice)";
const char* const kDisconnect = "KrVeltDevice::Disconnect";

struct SessionCase
{
    const char* what;
    std::vector<std::string> arguments; // after --log log.txt --verbose
    Lines out;
    Lines journal;
    Lines log;
};

TEST(KrHostProcess, RunsACalibrationSessionsOperations)
{
    const SessionCase cases[] = {
        {"connect and show",
         {"connect", "0", "show"},
         {kModuleLine, kSimulatorModuleLine, "Connected to display 0", "Brightness 0.800000", "Contrast 0.500000", "Red gain 0.640000",
          "Green gain 0.640000", "Blue gain 0.640000"},
         {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1", "GetBrightness() -> 80", "GetContrast() -> 50",
          "GetRedColor() -> 32", "GetGreenColor() -> 32", "GetBlueColor() -> 32"},
         {kDisconnect, "Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 1", "Velt: GetBrightness -> 80",
          "KrVeltDevice::GetBrightness -> 0.800000", "Velt: GetContrast -> 50", "KrVeltDevice::GetContrast -> 0.500000",
          "Velt: GetRedColor -> 32", "KrVeltDevice::GetRedGain -> 0.640000", "Velt: GetGreenColor -> 32",
          "KrVeltDevice::GetGreenGain -> 0.640000", "Velt: GetBlueColor -> 32", "KrVeltDevice::GetBlueGain -> 0.640000",
          kDisconnect, kDisconnect}},
        {"set each value",
         {"brightness", "0.5", "contrast", "0.75", "red", "1", "green", "0.5", "blue", "1.28"},
         {kModuleLine, kSimulatorModuleLine, "Brightness set to 0.500000", "Contrast set to 0.750000", "Red gain set to 1.000000",
          "Green gain set to 0.500000", "Blue gain set to 1.280000"},
         {"SetBrightness(50) -> 1", "SaveBrighntessForMode(50, 4) -> 1", "SetContrast(75) -> 1", "SetRedColor(50) -> 1",
          "SetGreenColor(25) -> 1", "SetBlueColor(64) -> 1"},
         {"KrVeltDevice::SetBrightness 0.500000", "Velt: SetBrightness(50)", "Velt: SaveBrightnessForMode( 50, 4) -> 1",
          "KrVeltDevice::SetContrast 0.750000", "Velt: SetContrast(75)", "KrVeltDevice::SetRedGain 1.000000",
          "Velt: SetRedColor(50)", "KrVeltDevice::SetGreenGain 0.500000", "Velt: SetGreenColor(25)",
          "KrVeltDevice::SetBlueGain 1.280000", "Velt: SetBlueColor(64)", kDisconnect, kDisconnect}},
        {"calibration mode with a brightness",
         {"calibration", "0.9"},
         {kModuleLine, kSimulatorModuleLine, "Progress 100%", "Calibration mode"},
         {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1", "SetBrightness(90) -> 1", "SaveBrighntessForMode(90, 4) -> 1"},
         {"KrVeltDevice::InitCalibrationMode 0.900000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          "KrVeltDevice::SetBrightness 0.900000", "Velt: SetBrightness(90)", "Velt: SaveBrightnessForMode( 90, 4) -> 1",
          kDisconnect, kDisconnect}},
        {"calibration mode keeping the brightness",
         {"calibration", "-1"},
         {kModuleLine, kSimulatorModuleLine, "Progress 100%", "Calibration mode"},
         {"SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1"},
         {"KrVeltDevice::InitCalibrationMode -1.000000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          kDisconnect, kDisconnect}},
        {"named settings and what comes back",
         {"setting", "SetBaseGamma", "2.45", "setting", "SetBaseGamma", "1e300", "setting", "SetCalibrationAlert", "300",
          "setting", "SetOSDLock", "1", "setting", "SetMaxBrightness", "0.5", "brightness", "1"},
         {kModuleLine, kSimulatorModuleLine, "Setting SetBaseGamma answered \"2.5\"",
          "Setting SetBaseGamma answered \"1000000000000000052504760255204\"",
          "Setting SetCalibrationAlert answered \"300\"", "Setting SetOSDLock answered \"\"",
          "Setting SetMaxBrightness answered \"\"", "Brightness set to 1.000000"},
         {"Set_Calibration_Alert(300) -> 1", "Lock_OSD() -> 1", "SetBrightness(1) -> 1", "SaveBrighntessForMode(1, 4) -> 1"},
         {"Velt: Set_Calibration_Alert(300)", "Velt: Lock_OSD", "KrVeltDevice::SetMaxBrightness 1.000000",
          "KrVeltDevice::SetBrightness 1.000000", "Velt: SetBrightness(1)", "Velt: SaveBrightnessForMode( 1, 4) -> 1",
          kDisconnect, kDisconnect}},
        {"reapply the settings",
         {"reapply"},
         {kModuleLine, kSimulatorModuleLine, "Settings reapplied"},
         {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 1", "SDKDisplayCorrection(4) -> 1", "ChangeMode(4) -> 1",
          "SetBrightness(100) -> 1", "SaveBrighntessForMode(100, 4) -> 1", "GetBrightness() -> 100", "GetRedColor() -> 32",
          "GetGreenColor() -> 32", "GetBlueColor() -> 32", "SetBrightness(100) -> 1", "SaveBrighntessForMode(100, 4) -> 1",
          "SetRedColor(32) -> 1", "SetGreenColor(32) -> 1", "SetBlueColor(32) -> 1"},
         {kDisconnect, "Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 1",
          "KrVeltDevice::InitCalibrationMode 1.000000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          "KrVeltDevice::SetBrightness 1.000000", "Velt: SetBrightness(100)", "Velt: SaveBrightnessForMode( 100, 4) -> 1",
          "Velt: GetBrightness -> 100", "KrVeltDevice::GetBrightness -> 1.000000", "Velt: GetRedColor -> 32",
          "KrVeltDevice::GetRedGain -> 0.640000", "Velt: GetGreenColor -> 32", "KrVeltDevice::GetGreenGain -> 0.640000",
          "Velt: GetBlueColor -> 32", "KrVeltDevice::GetBlueGain -> 0.640000", "KrVeltDevice::SetBrightness 1.000000",
          "Velt: SetBrightness(100)", "Velt: SaveBrightnessForMode( 100, 4) -> 1", "KrVeltDevice::SetRedGain 0.640000",
          "Velt: SetRedColor(32)", "KrVeltDevice::SetGreenGain 0.640000", "Velt: SetGreenColor(32)",
          "KrVeltDevice::SetBlueGain 0.640000", "Velt: SetBlueColor(32)", kDisconnect, kDisconnect}},
    };
    KrTempFolder folder;
    int run = 0;
    for (const SessionCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments = {"--log", "log.txt", "--verbose"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const HostRun result = RunHost(folder, std::to_string(run++), arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, Lines{});
        EXPECT_EQ(result.journal, c.journal);
        EXPECT_EQ(result.log, c.log);
    }
}

TEST(KrHostProcess, ShowsTheLogAndProgressOnlyWhenVerbose)
{
    struct
    {
        std::vector<std::string> arguments;
        Lines out;
        Lines err;
    } const cases[] = {
        {{"connect", "1", "calibration", "-1"},
         {kModuleLine, kSimulatorModuleLine, "Connected to display 1", "Calibration mode"},
         {}},
        {{"--verbose", "connect", "1", "calibration", "-1"},
         {kModuleLine, kSimulatorModuleLine, "Connected to display 1", "Progress 100%", "Calibration mode"},
         {kDisconnect, "Velt: CheckCompatibleSystem -> true", "Velt: GetMonitorType -> 1",
          "KrVeltDevice::InitCalibrationMode -1.000000", "Velt: SDKDisplayCorrection(4) -> 1", "Velt: ChangeMode(4)",
          kDisconnect, kDisconnect}},
    };
    KrTempFolder folder;
    int run = 0;
    for (const auto& c : cases)
    {
        const HostRun result = RunHost(folder, std::to_string(run++), c.arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
    }
}

struct FailureCase
{
    const char* what;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    int status;
    Lines out;
    std::string error;    // the first line of standard error starts with it
    Lines journal;
    Lines logEnd;         // the last lines of log.txt
};

TEST(KrHostProcess, SaysClearlyWhatFailed)
{
    const FailureCase cases[] = {
        {"a connect that fails", {"--log", "log.txt", "connect", "0", "show"}, {"VELTDLL_COMPATIBLE=0"}, 1, {kModuleLine, kSimulatorModuleLine},
         "KrHost: display 0 did not connect (answer 66)", {"CheckCompatibleSystem() -> 0"},
         {"Velt: CheckCompatibleSystem -> false", kDisconnect, kDisconnect}},
        {"an unknown class", {"--class", "KrNoSuchDevice", "connect", "0"}, {}, 1, {kModuleLine, kSimulatorModuleLine},
         "KrHost: the plug-in offers no class KrNoSuchDevice", {}, {}},
        {"a missing plug-in", {"--plugin", "missing/libNothing.so", "show"}, {}, 1, {},
         "KrHost: cannot load the plug-in missing/libNothing.so: ", {}, {}},
        {"a log that cannot be written", {"--log", "missing/log.txt", "connect", "0"}, {}, 1, {kModuleLine, kSimulatorModuleLine},
         "KrHost: cannot write the log missing/log.txt: ", {}, {}},
        {"an error raised by the device", {"--log", "log.txt", "gamma", "2.2", "show"},
         {"VELTDLL_LUT_STATUS=7", "VELTDLL_JOURNAL=upload.txt"}, 1, {kModuleLine, kSimulatorModuleLine},
         "KrHost: gamma failed: error 7 VeltSDK=7 (VeltDevice.cpp, line ", {}, {kDisconnect, kDisconnect}},
        {"a value that is no number", {"--log", "log.txt", "brightness", "bright"}, {}, 1, {kModuleLine, kSimulatorModuleLine},
         "KrHost: not a number: bright", {}, {kDisconnect, kDisconnect}},
        {"an unknown operation", {"connect", "0", "frobnicate"}, {}, 2, {}, "KrHost: unknown operation: frobnicate", {}, {}},
        {"a missing argument", {"setting", "SetOSDLock"}, {}, 2, {}, "KrHost: missing value after setting", {}, {}},
    };
    KrTempFolder folder;
    int run = 0;
    for (const FailureCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const HostRun result = RunHost(folder, std::to_string(run++), c.arguments, c.environment);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err[0].rfind(c.error, 0), 0u) << result.err[0];
        EXPECT_EQ(result.journal, c.journal);
        const size_t tail = std::min(result.log.size(), c.logEnd.size());
        EXPECT_EQ(Lines(result.log.end() - tail, result.log.end()), c.logEnd);
    }
}

TEST(KrHostProcess, ExplainsItselfOnRequest)
{
    KrTempFolder folder;
    const HostRun run = RunHost(folder, "help", {"--help"});
    EXPECT_EQ(run.status, 0);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "Usage: KrHost [--plugin PATH] [--log FILE] [--class NAME] [--verbose] [--plot FILE.svg] "
                          "[OPERATION...]");
    EXPECT_EQ(run.err, Lines{});
    EXPECT_EQ(run.journal, Lines{});
}
}
