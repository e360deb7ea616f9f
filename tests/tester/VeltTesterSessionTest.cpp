// VeltTester's console sessions, run as a process against the emulated monitor: exact output,
// exit code 0 and the SDK calls in the journal.
#include <gtest/gtest.h>

#include "TesterProcess.h"

namespace {

const std::string kBrightnessPrompt = "Please input the value of brightness: Input Range is between 0 to 100\n";
const std::string kTonePrompt = "Please input the value of Color Temperature: Input Range is between 0 to 11\n";
const std::string kPowerPrompt = "Please input the value for Monitor Power: Monitor Off is 0 and Monitor on is 1\n";
const std::string kChangeModePrompt = "Please input the value for Changing Mode:\n"
                                      "0 for Custom 1 for SRGB 2 for AdobeRGB 3 for Emulation 4 for Calibration:\n";
const std::string kDisplayPrompt = "Press 0 for primary monitor and 1 for secondary monitor\n";
const std::string kAlertPrompt =
    "Please enter the calibration period. These are 0 hrs , 100 hrs , 300 hrs and 500 hrs\n";
const std::string kModeChoices = "1 for SRGB 2 for AdobeRGB 3 for Emulation 4 for Calibration:\n";
const std::string kSaveBrightnessPrompt = "Enter the mode for Saving Brightness\n" + kModeChoices;
const std::string kDisplayCorrectionPrompt = "Enter the mode for SDKDisplayCorrection\n" + kModeChoices;
const std::string kPressEnter = "Press Enter to Continue\n";
const std::string kSaveQuestion =
    "Calibration Succeded,do you want to save these results permanently in the monitor H/W? Press 1 for "
    "Saving and 2 for Not Saving and then press enter \n";

// The calibration request as the journal shows it: the target, gamma 2.2 and 1.0.
std::string CalibrateCall(int answer)
{
    const std::vector<float> request = {80.0f, 0.3127f, 0.3298f, 0.0f, 0.0f,  0.64f, 0.33f,
                                        0.21f, 0.71f,   0.15f,   0.06f, 2.2f, 1.0f};
    return "DisplayCalibrate({" + JournalNumbers(request) + "}, 3) -> " + std::to_string(answer);
}

struct SessionCase {
    const char* name;
    std::string input;
    Environment environment;
    std::string state;                      // the monitor's state file before the run ("" for none)
    std::vector<std::string> afterEachMenu;  // the output after each menu (see SessionOutput)
    std::vector<std::string> calls;          // the journal after the start-up check
};

const SessionCase kSessions[] = {
    {"SetSuccessPrintsNothing", "1\n50\n0\n", {}, "", {kBrightnessPrompt, ""}, {"SetBrightness(50) -> 1"}},
    {"SetFailurePrintsItsText",
     "1\n150\n0\n",
     {},
     "",
     {kBrightnessPrompt + "The Brightness cannot be set\n", ""},
     {"SetBrightness(150) -> 0"}},
    {"ShowPrintsTheValueAsUnsigned",
     "23\n\n0\n",
     {},
     "0.brightness = 200\n",
     {"The Value of Brightness is = 200 Press Enter to Continue\n", ""},
     {"GetBrightness() -> 200"}},
    {"ShowSwallowsTheRestOfTheChoiceLine",
     "23 and more\n\n0\n",
     {},
     "0.brightness = 200\n",
     {"The Value of Brightness is = 200 Press Enter to Continue\n", ""},
     {"GetBrightness() -> 200"}},
    {"ActionsSucceedingPrintNothing",
     "7\n9\n10\n14\n15\n21\n22\n0\n",
     {},
     "",
     {"", "", "", "", "", "", "", ""},
     {"ResetALL() -> 1", "Reset_Brit_Cont() -> 1", "Reset_Factory() -> 1", "ResetGeometry() -> 1",
      "AutoSetup() -> 1", "Lock_OSD() -> 1", "Unlock_OSD() -> 1"}},
    {"ToneOutOfRangeCallsNothing", "41\n12\n0\n", {}, "", {kTonePrompt, ""}, {}},
    {"ToneInSrgbMode",
     "41\n5\n0\n",
     {},
     "",
     {kTonePrompt + "You have entered 5. This means color temperature of 6500\n", ""},
     {"Set_ColorTone(5, 1) -> 1"}},
    {"ToneInAdobeRgbAndCalibrationModes",
     "42\n0\n43\n11\n0\n",
     {},
     "",
     {kTonePrompt + "You have entered 0. This means color temperature of 4000\n",
      kTonePrompt + "You have entered 11. This means color temperature of 9300\n", ""},
     {"Set_ColorTone(0, 2) -> 1", "Set_ColorTone(11, 4) -> 1"}},
    {"ToneInEmulationMode",
     "44\n5\n0\n",
     {},
     "",
     {kTonePrompt + "You have entered 5. This means color temperature of 6500\n", ""},
     {"Set_ColorTone(5, 3) -> 1"}},
    {"MonitorPowerPassesOnlyZeroOrOne",
     "12\n7\n12\n0\n0\n",
     {},
     "",
     {kPowerPrompt, kPowerPrompt, ""},
     {"MonitorPower(1) -> 1", "MonitorPower(0) -> 1"}},
    {"ReadModeOfAnUnknownModePrintsOnlyTheWait",
     "35\n\n0\n",
     {},
     "0.mode = 7\n",
     {kPressEnter, ""},
     {"ReadMode() -> 7"}},
    {"ReadModeAfterChangingMode",
     "20\n2\n35\n\n0\n",
     {},
     "",
     {kChangeModePrompt, "The Mode is AdobeRGB\n" + kPressEnter, ""},
     {"ChangeMode(2) -> 1", "ReadMode() -> 2"}},
    {"SwitchDisplayTakesOnlyZeroOrOne",
     "36\n2\n36\n1\n23\n\n0\n",
     {},
     "1.brightness = 33\n",
     {kDisplayPrompt, kDisplayPrompt, "The Value of Brightness is = 33 Press Enter to Continue\n", ""},
     {"SwitchDisplay(1) -> 1", "GetBrightness() -> 33"}},
    {"DisplayCorrection",
     "45\n3\n45\n9\n0\n",
     {},
     "",
     {kDisplayCorrectionPrompt, kDisplayCorrectionPrompt + "The SDKDisplayCorrection cannot be done\n", ""},
     {"SDKDisplayCorrection(3) -> 1", "SDKDisplayCorrection(9) -> 0"}},
    {"CalibrationAlertTakesOnlyKnownPeriods",
     "46\n200\n46\n0\n0\n",
     {},
     "",
     {kAlertPrompt, kAlertPrompt, ""},
     {"Set_Calibration_Alert(0) -> 1"}},
    {"CalibrationTimeAndLastAlert",
     "47\n\n48\n\n0\n",
     {},
     "0.calibrationTime = 12\n0.lastCalAlert = 300\n",
     {"The Calibration time set was 12\n" + kPressEnter, "The last Calibration Alert is  300\n" + kPressEnter, ""},
     {"Get_Calibration_Time() -> 12", "Get_LastCalAlert() -> 300"}},
    {"SaveBrightnessForMode",
     "49\n2\n70\n49\n9\n70\n0\n",
     {},
     "",
     {kSaveBrightnessPrompt + kBrightnessPrompt,
      kSaveBrightnessPrompt + kBrightnessPrompt + "The Brightness cannot be Saved\n", ""},
     {"SaveBrighntessForMode(70, 2) -> 1", "SaveBrighntessForMode(70, 9) -> 0"}},
    {"MonitorTypeUnknownPrintsOnlyTheWait",
     "50\n\n0\n",
     {{"VELTDLL_MONITOR_TYPE", "5"}},
     "",
     {kPressEnter, ""},
     {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 5"}},
    {"MonitorTypeAlder",
     "50\n\n0\n",
     {{"VELTDLL_MONITOR_TYPE", "0"}},
     "",
     {"The Monitor is Alder\n" + kPressEnter, ""},
     {"CheckCompatibleSystem() -> 1", "GetMonitorType() -> 0"}},
    {"CalibrationFailureEndsTheProgram",
     "37\n1\n0\n",
     {{"VELTDLL_CALIBRATE_STATUS", "5"}},
     "",
     {"Unable to Calibrate\nError returned = 5 \nPress any key to quit"},
     {CalibrateCall(5), "NotWriteAndBackPrevMode() -> 1"}},
    {"CalibrationNotSaved",
     "37\n2\n0\n",
     {},
     "",
     {kSaveQuestion, ""},
     {CalibrateCall(1), "NotWriteAndBackPrevMode() -> 1"}},
    {"CalibrationSaved",
     "37\n1\n0\n",
     {},
     "",
     {kSaveQuestion + "Data Saved Successfully.....\n", ""},
     {CalibrateCall(1), "WriteCorrectInfoToDisplay(result) -> 1"}},
    {"CalibrationSaveFailureEndsTheProgram",
     "37\n1\n0\n",
     {{"VELTDLL_WRITE_STATUS", "0"}},
     "",
     {kSaveQuestion + "Unable to save Data\nError returned = 0 \nPress any key to quit"},
     {CalibrateCall(1), "WriteCorrectInfoToDisplay(result) -> 0"}},
    {"CalibrationAnsweredWithTextIsNotSaved",
     "37\nyes\n0\n",
     {},
     "",
     {kSaveQuestion, ""},
     {CalibrateCall(1), "NotWriteAndBackPrevMode() -> 1"}},
    {"ChoicesOutsideTheMenuCallNothing", "51\n-1\nabc\n99999999999\n0\n", {}, "", {"", "", "", "", ""}, {}},
    {"TextAtAValuePromptCallsNothing", "1\nabc\n1\n-\n0\n", {}, "", {kBrightnessPrompt, kBrightnessPrompt, ""}, {}},
    {"NumberTooLargeAtAValuePromptCallsNothing", "1\n2147483648\n0\n", {}, "", {kBrightnessPrompt, ""}, {}},
    {"EndOfInputAtTheMenu", "", {}, "", {""}, {}},
    {"EndOfInputAtAValuePrompt", "1\n", {}, "", {kBrightnessPrompt}, {}},
    {"EndOfInputAtTheWait",
     "23\n",
     {},
     "0.brightness = 200\n",
     {"The Value of Brightness is = 200 Press Enter to Continue\n"},
     {"GetBrightness() -> 200"}},
    {"EndOfInputBeforeTheChoiceLineEnds", "35", {}, "0.mode = 0\n", {"The Mode is Custom\n" + kPressEnter}, {"ReadMode() -> 0"}},
    {"EndOfInputAtTheSaveQuestionDropsTheCalibration",
     "37\n",
     {},
     "",
     {kSaveQuestion},
     {CalibrateCall(1), "NotWriteAndBackPrevMode() -> 1"}},
};

void PrintTo(const SessionCase& session, std::ostream* os)
{
    *os << session.name;
}

class VeltTesterSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(VeltTesterSession, PrintsAndCallsExactly)
{
    const SessionCase& session = GetParam();
    TempFolder folder;
    if (!session.state.empty())
        folder.Write("state.txt", session.state);
    const TesterRun run = RunTester(folder, {session.input, session.environment, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput(session.afterEachMenu));
    EXPECT_EQ(run.journal, SessionJournal(session.calls));
}

INSTANTIATE_TEST_SUITE_P(Entries, VeltTesterSession, ::testing::ValuesIn(kSessions),
                         [](const auto& info) { return std::string(info.param.name); });

// Every Set entry with a value no monitor accepts: its prompt, its failure text, its SDK call.
struct SetEntryCase {
    int entry;
    const char* prompt;
    const char* function;
    const char* failure;
};

const SetEntryCase kSetEntries[] = {
    {1, "Please input the value of brightness: Input Range is between 0 to 100\n", "SetBrightness",
     "The Brightness cannot be set\n"},
    {2, "Please input the value of Contrast: Input Range is between 0 to 100\n", "SetContrast",
     "The Contrast cannot be set\n"},
    {3, "Please input the value of Red Color: Input Range is between 0 to 64\n", "SetRedColor",
     "The Red Color cannot be set\n"},
    {4, "Please input the value of Green Color: Input Range is between 0 to 64\n", "SetGreenColor",
     "The Green Color cannot be set\n"},
    {5, "Please input the value of Blue Color: Input Range is between 0 to 64\n", "SetBlueColor",
     "The Blue Color cannot be set\n"},
    {6, "Please input the value of Gamma: Input Range is between 0 to 6\n", "SetGamma",
     "The Gamma value cannot be set\n"},
    {8, "Please input the value of Sharpness: Input Range is between 0 to 12\n", "SetSharpness",
     "The Sharpness cannot be set\n"},
    {11, "Please input the value of Power Save Mode: Monitor Power Save Mode 04 and Monitor on is 01\n",
     "Power_SaveMode", "The Power Save Mode cannot be set\n"},
    {13, "Please input the value of Color Temperature: Input Range is between 0 to 11\n", "SetColorTemperature",
     "The Color Temperature cannot be set\n"},
    {16, "Please input the value of H Position: Input Range is between 0 to 100\n", "Set_Hposition",
     "The Hposition cannot be set\n"},
    {17, "Please input the value of V Position: Input Range is between 0 to 70\n", "Set_Vposition",
     "The Vposition cannot be set\n"},
    {18, "Please input the value of Coarse: Input Range is between 0 to 160\n", "Set_Coarse",
     "The Coarse Value cannot be set\n"},
    {19, "Please input the value of Fine Adjustment: Input Range is between 0 to 31\n", "Set_FineAdjustment",
     "The Fine Adjustment cannot be set\n"},
};

TEST(VeltTesterSetEntries, ReportTheirFailureAfterPassingTheValueAsTyped)
{
    for (const SetEntryCase& entry : kSetEntries) {
        SCOPED_TRACE(entry.entry);
        TempFolder folder;
        const TesterRun run = RunTester(folder, {std::to_string(entry.entry) + "\n999\n0\n", {}, "", {}});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.output, SessionOutput({std::string(entry.prompt) + entry.failure, ""}));
        EXPECT_EQ(run.journal, SessionJournal({std::string(entry.function) + "(999) -> 0"}));
    }
}

// Every Show entry prints the low 8 bits of what the monitor holds, as an unsigned number.
struct ShowEntryCase {
    int entry;
    const char* key;
    const char* function;
    const char* label;
};

const ShowEntryCase kShowEntries[] = {
    {23, "brightness", "GetBrightness", "Brightness"},
    {24, "contrast", "GetContrast", "Contrast"},
    {25, "red", "GetRedColor", "Red Color"},
    {26, "green", "GetGreenColor", "Green Color"},
    {27, "blue", "GetBlueColor", "Blue Color"},
    {28, "gamma", "GetGamma", "Gamma"},
    {29, "sharpness", "GetSharpness", "Sharpness"},
    {30, "colorTemperature", "GetColorTemperature", "Color Temperature"},
    {31, "hPosition", "Get_Hposition", "H position"},
    {32, "vPosition", "Get_Vposition", "V position"},
    {33, "coarse", "Get_Coarse", "Coarse"},
    {34, "fineAdjustment", "Get_FineAdjustment", "Fine Adjustment"},
};

TEST(VeltTesterShowEntries, PrintTheEightBitValueAndWait)
{
    for (const ShowEntryCase& entry : kShowEntries) {
        SCOPED_TRACE(entry.entry);
        TempFolder folder;
        folder.Write("state.txt", std::string("0.") + entry.key + " = 300\n");  // 300 & 0xFF = 44
        const TesterRun run = RunTester(folder, {std::to_string(entry.entry) + "\n\n0\n", {}, "", {}});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.output,
                  SessionOutput({std::string("The Value of ") + entry.label + " is = 44 Press Enter to Continue\n", ""}));
        EXPECT_EQ(run.journal, SessionJournal({std::string(entry.function) + "() -> 44"}));
    }
}

TEST(VeltTesterToneEntries, NameEveryColourTemperature)
{
    const int kKelvin[] = {4000, 4500, 5000, 5500, 6000, 6500, 7000, 7500, 8000, 8500, 9000, 9300};
    std::string input;
    std::vector<std::string> afterEachMenu;
    std::vector<std::string> calls;
    for (int index = 0; index < 12; ++index) {
        input += "42\n" + std::to_string(index) + "\n";
        afterEachMenu.push_back(kTonePrompt + "You have entered " + std::to_string(index) +
                                ". This means color temperature of " + std::to_string(kKelvin[index]) + "\n");
        calls.push_back("Set_ColorTone(" + std::to_string(index) + ", 2) -> 1");
    }
    afterEachMenu.push_back("");
    TempFolder folder;
    const TesterRun run = RunTester(folder, {input + "0\n", {}, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput(afterEachMenu));
    EXPECT_EQ(run.journal, SessionJournal(calls));
}

TEST(VeltTesterStartUp, IncompatibleSystemEndsBeforeTheMenu)
{
    TempFolder folder;
    const TesterRun run = RunTester(folder, {"1\n50\n0\n", {{"VELTDLL_COMPATIBLE", "0"}}, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output,
              "Checking System Compatibility!\nSystem is not compatible............\nError returned = 0 \n");
    EXPECT_EQ(run.journal, std::vector<std::string>{"CheckCompatibleSystem() -> 0"});
}

TEST(VeltTesterStartUp, IgnoresArgumentsOtherThanHelp)
{
    TempFolder folder;
    const TesterRun run = RunTester(folder, {"0\n", {}, "", {"--verbose", "7"}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput({""}));
}

TEST(VeltTesterStartUp, HelpNamesTheTableFilesAndTheEmulatorsVariables)
{
    TempFolder folder;
    const TesterRun run = RunTester(folder, {"", {}, "", {"--help"}});
    EXPECT_EQ(run.status, 0) << run.errors;
    for (const char* name : {"gamma_table.txt", "g1.6.txt", "g2.8.txt", "VELTDLL_STATE", "VELTDLL_JOURNAL",
                             "VELTDLL_COMPATIBLE", "VELTDLL_WRITE_STATUS"})
        EXPECT_NE(run.output.find(name), std::string::npos) << name;
    EXPECT_TRUE(run.journal.empty());  // help touches no monitor
}

}  // namespace
