#include "VeltTester.h"

#include <algorithm>
#include <cstddef>
#include <cctype>
#include <climits>
#include <cstdint>
#include <iterator>
#include <vector>

#include "VeltDLL.h"
#include "VeltTableFile.h"

namespace {

// ---- Calibration requests, laid out as the SDK reads them

struct VeltCalibrationRequest {
    float target[11];
    float gamma;
    float last;
};

struct VeltTableCalibrationRequest {
    float target[11];
    float* table1;
    int count1;
    float* table2;
    int count2;
    float* table3;
    int count3;
    float last;
};

// Luminance, white point x and y, two fields left at zero, then the Adobe RGB (1998) primaries
// red x/y, green x/y, blue x/y.
constexpr float kCalibrationTarget[11] = {80.0f, 0.3127f, 0.3298f, 0.0f, 0.0f, 0.64f,
                                          0.33f, 0.21f,   0.71f,   0.15f, 0.06f};
constexpr float kCalibrationGamma = 2.2f;
constexpr float kRequestLast = 1.0f;
constexpr int kCalibrationCount = 3;  // passed with every calibrate call

// Monitor modes as the SDK numbers them.
constexpr int kSrgbMode = 1;
constexpr int kAdobeRgbMode = 2;
constexpr int kEmulationMode = 3;
constexpr int kCalibrationMode = 4;

// ---- Texts shared by several entries

constexpr const char* kStarLine =
    "********************************MENU*****************************************\n";
constexpr const char* kExitLine = "Press 0 and Enter to Exit\n";
constexpr const char* kNotCompatible = "System is not compatible............\n";
constexpr const char* kErrorFormat = "Error returned = %d \n";
constexpr const char* kPressAnyKey = "Press any key to quit";
constexpr const char* kPressEnter = "Press Enter to Continue\n";
constexpr const char* kModeChoices = "1 for SRGB 2 for AdobeRGB 3 for Emulation 4 for Calibration:\n";
constexpr const char* kBrightnessPrompt =
    "Please input the value of brightness: Input Range is between 0 to 100\n";
constexpr const char* kColorTemperaturePrompt =
    "Please input the value of Color Temperature: Input Range is between 0 to 11\n";

// Indexed by the colour-temperature index 0..11.
constexpr const char* kToneTexts[] = {
    "You have entered 0. This means color temperature of 4000\n",
    "You have entered 1. This means color temperature of 4500\n",
    "You have entered 2. This means color temperature of 5000\n",
    "You have entered 3. This means color temperature of 5500\n",
    "You have entered 4. This means color temperature of 6000\n",
    "You have entered 5. This means color temperature of 6500\n",
    "You have entered 6. This means color temperature of 7000\n",
    "You have entered 7. This means color temperature of 7500\n",
    "You have entered 8. This means color temperature of 8000\n",
    "You have entered 9. This means color temperature of 8500\n",
    "You have entered 10. This means color temperature of 9000\n",
    "You have entered 11. This means color temperature of 9300\n",
};

// Indexed by the mode ReadMode answers.
constexpr const char* kModeTexts[] = {
    "The Mode is Custom\n",    "The Mode is SRGB\n",        "The Mode is AdobeRGB\n",
    "The Mode is Emulation\n", "The Mode is Calibration\n",
};

// Indexed by the type GetMonitorType answers.
constexpr const char* kMonitorTypeTexts[] = {
    "The Monitor is Alder\n",
    "The Monitor is Birch\n",
    "The Monitor is Cedar\n",
    "The Monitor is not supported\n",
};

template <typename Text, std::size_t Count>
constexpr bool Indexes(const Text (&)[Count], int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < Count;
}

// ---- Console input

enum class Next { Menu, End };
enum class Input { Number, NotANumber, End };

Next AfterUnreadNumber(Input input)
{
    return input == Input::End ? Next::End : Next::Menu;
}

struct Session {
    std::FILE* in;
    std::FILE* out;
    std::string directory;
    // Kept for the whole run: a result area goes back to the SDK when the user saves it.
    VeltCalibrationRequest calibration{};
    VeltTableCalibrationRequest tableCalibration{};
    std::uint32_t calibrationResult[13]{};
    std::uint32_t tableCalibrationResult[18]{};
};

// Drops what is left of the line whose character `c` was read last.
void DiscardLine(std::FILE* in, int c)
{
    while (c != '\n' && c != EOF)
        c = std::getc(in);
}

// Reads a decimal int the way "%d" does. Text that is not a number, or one too large for an int,
// costs the rest of its line so that the next read starts afresh.
Input ReadNumber(Session& s, int& value)
{
    std::fflush(s.out);
    int c = std::getc(s.in);
    while (c != EOF && std::isspace(c))
        c = std::getc(s.in);
    if (c == EOF)
        return Input::End;
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = std::getc(s.in);
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    bool digits = false;
    bool fits = true;
    while (c != EOF && std::isdigit(c)) {
        digits = true;
        if (fits) {
            magnitude = magnitude * 10 + (c - '0');
            fits = magnitude <= limit;
        }
        c = std::getc(s.in);
    }
    if (!digits || !fits) {
        DiscardLine(s.in, c);
        return Input::NotANumber;
    }
    if (c != EOF)
        std::ungetc(c, s.in);
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return Input::Number;
}

// Swallows the rest of the line that held the choice, then waits for the user's Enter.
Next WaitForEnter(Session& s)
{
    std::fputs(kPressEnter, s.out);
    std::fflush(s.out);
    int c = std::getc(s.in);
    while (c != '\n' && c != EOF)
        c = std::getc(s.in);
    if (c == EOF || std::getc(s.in) == EOF)
        return Next::End;
    return Next::Menu;
}

// ---- Entries with a dialogue of their own

Next ShowMode(Session& s)
{
    const int mode = ReadMode();
    if (Indexes(kModeTexts, mode))
        std::fputs(kModeTexts[mode], s.out);
    return WaitForEnter(s);
}

// Ends the program after a failed calibration or save.
Next Quit(Session& s, int error)
{
    std::fprintf(s.out, kErrorFormat, error);
    std::fputs(kPressAnyKey, s.out);
    return Next::End;
}

// What both calibrations do with the SDK's status: a failure ends the program; on success the
// user keeps the result (answer 1) or the monitor goes back to its previous mode.
Next FinishCalibration(Session& s, int status, int (*save)(void*), void* result)
{
    if (status != 1) {
        NotWriteAndBackPrevMode();
        std::fputs("Unable to Calibrate\n", s.out);
        return Quit(s, status);
    }
    std::fputs("Calibration Succeded,do you want to save these results permanently in the monitor H/W? "
               "Press 1 for Saving and 2 for Not Saving and then press enter \n",
               s.out);
    int answer = 0;
    const Input input = ReadNumber(s, answer);
    if (input == Input::Number && answer == 1) {
        const int saved = save(result);
        if (saved == 0) {
            std::fputs("Unable to save Data\n", s.out);
            return Quit(s, saved);
        }
        std::fputs("Data Saved Successfully.....\n", s.out);
        return Next::Menu;
    }
    // Any other answer, or none, drops the result.
    NotWriteAndBackPrevMode();
    return AfterUnreadNumber(input);
}

Next Calibrate(Session& s)
{
    VeltCalibrationRequest& request = s.calibration;
    std::copy(std::begin(kCalibrationTarget), std::end(kCalibrationTarget), request.target);
    request.gamma = kCalibrationGamma;
    request.last = kRequestLast;
    const int status = DisplayCalibrate(&request, kCalibrationCount, s.calibrationResult);
    return FinishCalibration(s, status, WriteCorrectInfoToDisplay, s.calibrationResult);
}

Next CalibrateWithTable(Session& s)
{
    std::vector<float> table1;
    std::string problem;
    if (!LoadVeltTableFile(s.directory + kVeltCalibrationTableFile, kVeltCalibrationTableSize, table1,
                           problem)) {
        std::fputs(problem.c_str(), s.out);
        return Next::Menu;
    }
    std::vector<float> table2(table1);
    std::vector<float> table3(table1);
    const int count = static_cast<int>(kVeltCalibrationTableSize);

    VeltTableCalibrationRequest& request = s.tableCalibration;
    std::copy(std::begin(kCalibrationTarget), std::end(kCalibrationTarget), request.target);
    request.table1 = table1.data();
    request.count1 = count;
    request.table2 = table2.data();
    request.count2 = count;
    request.table3 = table3.data();
    request.count3 = count;
    request.last = kRequestLast;
    const int status = DisplayCalibrate_LookUpTable(&request, kCalibrationCount, s.tableCalibrationResult);
    const Next next =
        FinishCalibration(s, status, WriteCorrectInfoToDisplay_LookUpTable, s.tableCalibrationResult);
    // The tables go with this entry; the request must not keep pointing at them.
    request.table1 = request.table2 = request.table3 = nullptr;
    return next;
}

// Uploads the chosen gamma file's curve to all three channels of `mode`.
Next UploadGammaCurve(Session& s, int mode)
{
    std::fputs("Enter the gamma values for Setting the RGBLUT. Give the  values are 0 for 1.6,1 for 1.8,"
               "2 for 2.0,3 for 2.2,4 for 2.4,5 for 2.6,6 for 2.8\n",
               s.out);
    int choice = 0;
    const Input input = ReadNumber(s, choice);
    if (input != Input::Number)
        return AfterUnreadNumber(input);
    if (!Indexes(kVeltGammaFiles, choice)) {
        std::fprintf(s.out, "There is no gamma table for %d: choose 0 to %d\n", choice, kVeltGammaFileCount - 1);
        return Next::Menu;
    }
    std::vector<float> red;
    std::string problem;
    if (!LoadVeltTableFile(s.directory + kVeltGammaFiles[choice].name, kVeltGammaTableSize, red, problem)) {
        std::fputs(problem.c_str(), s.out);
        return Next::Menu;
    }
    std::vector<float> green(red);
    std::vector<float> blue(red);
    const int status = Set_RGB_LUT(red.data(), green.data(), blue.data(), mode);
    std::fputs(status == 1 ? "RGBLut Setting is Successfull" : "RGBLut Setting is Failed", s.out);
    return Next::Menu;
}

Next UploadCalibrationCurve(Session& s)
{
    return UploadGammaCurve(s, kCalibrationMode);
}

Next UploadEmulationCurve(Session& s)
{
    return UploadGammaCurve(s, kEmulationMode);
}

Next ShowCalibrationTime(Session& s)
{
    std::fprintf(s.out, "The Calibration time set was %d\n", Get_Calibration_Time());
    return WaitForEnter(s);
}

Next ShowLastCalibrationAlert(Session& s)
{
    std::fprintf(s.out, "The last Calibration Alert is  %d\n", Get_LastCalAlert());
    return WaitForEnter(s);
}

Next SaveBrightnessForMode(Session& s)
{
    std::fputs("Enter the mode for Saving Brightness\n", s.out);
    std::fputs(kModeChoices, s.out);
    int mode = 0;
    Input input = ReadNumber(s, mode);
    if (input != Input::Number)
        return AfterUnreadNumber(input);
    std::fputs(kBrightnessPrompt, s.out);
    int brightness = 0;
    input = ReadNumber(s, brightness);
    if (input != Input::Number)
        return AfterUnreadNumber(input);
    if (SaveBrighntessForMode(brightness, mode) == 0)
        std::fputs("The Brightness cannot be Saved\n", s.out);
    return Next::Menu;
}

Next ShowMonitorType(Session& s)
{
    if (CheckCompatibleSystem()) {
        const int type = GetMonitorType();
        if (Indexes(kMonitorTypeTexts, type))
            std::fputs(kMonitorTypeTexts[type], s.out);
    } else {
        std::fputs(kNotCompatible, s.out);
    }
    return WaitForEnter(s);
}

// ---- The menu

// Adapters that give every SDK call in the table one signature (flags become ints 0 or 1).
template <auto Function>
int WithValue(int value)
{
    return Function(value);
}

template <auto Function>
int WithoutValue()
{
    return Function();
}

int SetMonitorPowerOnOff(int value)
{
    return MonitorPower(value != 0 ? 1 : 0);
}

bool IsDisplayNumber(int display)
{
    return display == 0 || display == 1;
}

bool IsAlertPeriod(int hours)
{
    return hours == 0 || hours == 100 || hours == 300 || hours == 500;
}

enum class Pattern {
    Set,     // prompt, read a value, call with it, report a zero result
    Action,  // call without a value, report a zero result
    Show,    // call a getter, print its value, wait for Enter
    Tone,    // read a colour-temperature index, print its text, call Set_ColorTone
    Own,     // a dialogue of its own
};

struct MenuEntry {
    int number;
    const char* menuLine;
    Pattern pattern;
    const char* prompt = nullptr;     // Set
    int (*setter)(int) = nullptr;     // Set
    bool (*accepts)(int) = nullptr;   // Set: the values passed on (null: every value)
    int (*call)() = nullptr;          // Action, Show
    const char* text = nullptr;       // Set, Action: failure text (null: result ignored); Show: value
    int toneMode = 0;                 // Tone
    Next (*run)(Session&) = nullptr;  // Own
};

constexpr MenuEntry SetEntry(int number, const char* menuLine, const char* prompt, int (*setter)(int),
                             const char* failure, bool (*accepts)(int) = nullptr)
{
    MenuEntry entry{number, menuLine, Pattern::Set};
    entry.prompt = prompt;
    entry.setter = setter;
    entry.accepts = accepts;
    entry.text = failure;
    return entry;
}

constexpr MenuEntry ActionEntry(int number, const char* menuLine, int (*call)(), const char* failure)
{
    MenuEntry entry{number, menuLine, Pattern::Action};
    entry.call = call;
    entry.text = failure;
    return entry;
}

constexpr MenuEntry ShowEntry(int number, const char* menuLine, int (*getter)(), const char* valueText)
{
    MenuEntry entry{number, menuLine, Pattern::Show};
    entry.call = getter;
    entry.text = valueText;
    return entry;
}

constexpr MenuEntry ToneEntry(int number, const char* menuLine, int mode)
{
    MenuEntry entry{number, menuLine, Pattern::Tone};
    entry.toneMode = mode;
    return entry;
}

constexpr MenuEntry OwnEntry(int number, const char* menuLine, Next (*run)(Session&))
{
    MenuEntry entry{number, menuLine, Pattern::Own};
    entry.run = run;
    return entry;
}

constexpr MenuEntry kMenu[] = {
    SetEntry(1, "Press 1 and Enter for Setting Brightness\n", kBrightnessPrompt, WithValue<SetBrightness>,
             "The Brightness cannot be set\n"),
    SetEntry(2, "Press 2 and Enter for Setting Contrast\n",
             "Please input the value of Contrast: Input Range is between 0 to 100\n", WithValue<SetContrast>,
             "The Contrast cannot be set\n"),
    SetEntry(3, "Press 3 and Enter for Setting Red Color\n",
             "Please input the value of Red Color: Input Range is between 0 to 64\n", WithValue<SetRedColor>,
             "The Red Color cannot be set\n"),
    SetEntry(4, "Press 4 and Enter for Setting Green Color\n",
             "Please input the value of Green Color: Input Range is between 0 to 64\n",
             WithValue<SetGreenColor>, "The Green Color cannot be set\n"),
    SetEntry(5, "Press 5 and Enter for Setting Blue Color\n",
             "Please input the value of Blue Color: Input Range is between 0 to 64\n", WithValue<SetBlueColor>,
             "The Blue Color cannot be set\n"),
    SetEntry(6, "Press 6 and Enter for Setting Gamma\n",
             "Please input the value of Gamma: Input Range is between 0 to 6\n", WithValue<SetGamma>,
             "The Gamma value cannot be set\n"),
    ActionEntry(7, "Press 7 and Enter for Reset All\n", WithoutValue<ResetALL>, "The monitor  cannot be reset\n"),
    SetEntry(8, "Press 8 and Enter for Setting Sharpness\n",
             "Please input the value of Sharpness: Input Range is between 0 to 12\n", WithValue<SetSharpness>,
             "The Sharpness cannot be set\n"),
    ActionEntry(9, "Press 9 and Enter for Reset Brightness and Contrast\n", WithoutValue<Reset_Brit_Cont>,
                "The Brightness Contrast cannot be reset\n"),
    ActionEntry(10, "Press 10 and Enter for Factory Reset\n", WithoutValue<Reset_Factory>,
                "The Factory Reset cannot be done\n"),
    SetEntry(11, "Press 11 and Enter for Power Save Mode\n",
             "Please input the value of Power Save Mode: Monitor Power Save Mode 04 and Monitor on is 01\n",
             WithValue<Power_SaveMode>, "The Power Save Mode cannot be set\n"),
    SetEntry(12, "Press 12 and Enter for Setting Monitor Power\n",
             "Please input the value for Monitor Power: Monitor Off is 0 and Monitor on is 1\n",
             SetMonitorPowerOnOff, "The Monitor Power cannot be turned\n"),
    SetEntry(13, "Press 13 and Enter for Setting Color Temperature\n", kColorTemperaturePrompt,
             WithValue<SetColorTemperature>, "The Color Temperature cannot be set\n"),
    ActionEntry(14, "Press 14 and Enter for Resetting Geometry\n", WithoutValue<ResetGeometry>,
                "The Geometry cannot be reset\n"),
    ActionEntry(15, "Press 15 and Enter for Auto Setup\n", WithoutValue<AutoSetup>, "The AutoSetup cannot be done\n"),
    SetEntry(16, "Press 16 and Enter for Setting H Postition\n",
             "Please input the value of H Position: Input Range is between 0 to 100\n",
             WithValue<Set_Hposition>, "The Hposition cannot be set\n"),
    SetEntry(17, "Press 17 and Enter for Setting V Postition\n",
             "Please input the value of V Position: Input Range is between 0 to 70\n", WithValue<Set_Vposition>,
             "The Vposition cannot be set\n"),
    SetEntry(18, "Press 18 and Enter for Setting Coarse Value\n",
             "Please input the value of Coarse: Input Range is between 0 to 160\n", WithValue<Set_Coarse>,
             "The Coarse Value cannot be set\n"),
    SetEntry(19, "Press 19 and Enter for Fine Adjustment\n",
             "Please input the value of Fine Adjustment: Input Range is between 0 to 31\n",
             WithValue<Set_FineAdjustment>, "The Fine Adjustment cannot be set\n"),
    SetEntry(20, "Press 20 and Enter for Changing Mode\n",
             "Please input the value for Changing Mode:\n"
             "0 for Custom 1 for SRGB 2 for AdobeRGB 3 for Emulation 4 for Calibration:\n",
             WithValue<ChangeMode>, nullptr),
    ActionEntry(21, "Press 21 and Enter for Locking OSD\n", WithoutValue<Lock_OSD>, nullptr),
    ActionEntry(22, "Press 22 and Enter for UnLocking OSD\n", WithoutValue<Unlock_OSD>, nullptr),
    ShowEntry(23, "Press 23 and Enter for Getting Brightness\n", WithoutValue<GetBrightness>,
              "The Value of Brightness is = %d "),
    ShowEntry(24, "Press 24 and Enter for Getting Contrast\n", WithoutValue<GetContrast>,
              "The Value of Contrast is = %d "),
    ShowEntry(25, "Press 25 and Enter for Getting Red Color\n", WithoutValue<GetRedColor>,
              "The Value of Red Color is = %d "),
    ShowEntry(26, "Press 26 and Enter for Getting Green Color\n", WithoutValue<GetGreenColor>,
              "The Value of Green Color is = %d "),
    ShowEntry(27, "Press 27 and Enter for Getting Blue Color\n", WithoutValue<GetBlueColor>,
              "The Value of Blue Color is = %d "),
    ShowEntry(28, "Press 28 and Enter for Getting Gamma\n", WithoutValue<GetGamma>, "The Value of Gamma is = %d "),
    ShowEntry(29, "Press 29 and Enter for Getting Sharpness\n", WithoutValue<GetSharpness>,
              "The Value of Sharpness is = %d "),
    ShowEntry(30, "Press 30 and Enter for Getting Color Temperature\n", WithoutValue<GetColorTemperature>,
              "The Value of Color Temperature is = %d "),
    ShowEntry(31, "Press 31 and Enter for Getting H Postition\n", WithoutValue<Get_Hposition>,
              "The Value of H position is = %d "),
    ShowEntry(32, "Press 32 and Enter for Getting V Postition\n", WithoutValue<Get_Vposition>,
              "The Value of V position is = %d "),
    ShowEntry(33, "Press 33 and Enter for Getting Coarse Value\n", WithoutValue<Get_Coarse>,
              "The Value of Coarse is = %d "),
    ShowEntry(34, "Press 34 and Enter for Getting Fine Adjustment Value\n", WithoutValue<Get_FineAdjustment>,
              "The Value of Fine Adjustment is = %d "),
    OwnEntry(35, "Press 35 and Enter for Read Mode\n", ShowMode),
    SetEntry(36, "Press 36 and Enter for Switching Display\n",
             "Press 0 for primary monitor and 1 for secondary monitor\n", WithValue<SwitchDisplay>, nullptr,
             IsDisplayNumber),
    OwnEntry(37, "Press 37 and Enter for Display Calibrate WriteCorrectInfoToDisplay\n", Calibrate),
    OwnEntry(38, "Press 38 and Enter for Display Calibrate_LookUpTable WriteCorrectInfoToDisplay_LookUpTable\n",
             CalibrateWithTable),
    OwnEntry(39, "Press 39 and Enter for SetRGB_LUT in calibration mode\n", UploadCalibrationCurve),
    OwnEntry(40, "Press 40 and Enter for SetRGB_LUT in emulation mode\n", UploadEmulationCurve),
    ToneEntry(41, "Press 41 and Enter for SetColortone in srgb mode\n", kSrgbMode),
    ToneEntry(42, "Press 42 and Enter for SetColortone in Adobergb mode\n", kAdobeRgbMode),
    ToneEntry(43, "Press 43 and Enter for SetColortone in Calibration mode\n", kCalibrationMode),
    ToneEntry(44, "Press 44 and Enter for SetColortone in emulation mode\n", kEmulationMode),
    SetEntry(45, "Press 45 and Enter for SDKDisplayCorrection in desired mode\n",
             "Enter the mode for SDKDisplayCorrection\n"
             "1 for SRGB 2 for AdobeRGB 3 for Emulation 4 for Calibration:\n",
             WithValue<SDKDisplayCorrection>, "The SDKDisplayCorrection cannot be done\n"),
    SetEntry(46, "Press 46 and Enter for Setting Calibration Alert\n",
             "Please enter the calibration period. These are 0 hrs , 100 hrs , 300 hrs and 500 hrs\n",
             WithValue<Set_Calibration_Alert>, nullptr, IsAlertPeriod),
    OwnEntry(47, "Press 47 and Enter for Getting Calibration Time\n", ShowCalibrationTime),
    OwnEntry(48, "Press 48 and Enter for Getting last Calibration Alert\n", ShowLastCalibrationAlert),
    OwnEntry(49, "Press 49 and Enter for Saving Brightness for Mode\n", SaveBrightnessForMode),
    OwnEntry(50, "Press 50 and Enter for Getting Monitor Type\n", ShowMonitorType),
};

constexpr int kMenuSize = static_cast<int>(std::size(kMenu));

constexpr bool NumberedInOrder()
{
    for (int i = 0; i < kMenuSize; ++i)
        if (kMenu[i].number != i + 1)
            return false;
    return true;
}
static_assert(kMenuSize == 50 && NumberedInOrder(), "the menu lists entries 1 to 50 in order");

Next RunSet(Session& s, const MenuEntry& entry)
{
    std::fputs(entry.prompt, s.out);
    int value = 0;
    const Input input = ReadNumber(s, value);
    if (input != Input::Number)
        return AfterUnreadNumber(input);
    if ((!entry.accepts || entry.accepts(value)) && entry.setter(value) == 0 && entry.text)
        std::fputs(entry.text, s.out);
    return Next::Menu;
}

Next RunTone(Session& s, int mode)
{
    std::fputs(kColorTemperaturePrompt, s.out);
    int index = 0;
    const Input input = ReadNumber(s, index);
    if (input != Input::Number)
        return AfterUnreadNumber(input);
    if (Indexes(kToneTexts, index)) {
        std::fputs(kToneTexts[index], s.out);
        Set_ColorTone(index, mode);
    }
    return Next::Menu;
}

Next RunEntry(Session& s, const MenuEntry& entry)
{
    switch (entry.pattern) {
    case Pattern::Set:
        return RunSet(s, entry);
    case Pattern::Action:
        if (entry.call() == 0 && entry.text)
            std::fputs(entry.text, s.out);
        return Next::Menu;
    case Pattern::Show:
        std::fprintf(s.out, entry.text, entry.call());
        return WaitForEnter(s);
    case Pattern::Tone:
        return RunTone(s, entry.toneMode);
    case Pattern::Own:
        return entry.run(s);
    }
    return Next::Menu;
}

void PrintMenu(std::FILE* out)
{
    std::fputs(kStarLine, out);
    std::fputs(kExitLine, out);
    for (const MenuEntry& entry : kMenu)
        std::fputs(entry.menuLine, out);
    std::fputs(kExitLine, out);
    std::fputs(kStarLine, out);
}

}  // namespace

int RunVeltTesterMenu(std::FILE* in, std::FILE* out, const std::string& programDirectory)
{
    Session session{in, out, programDirectory};
    for (;;) {
        PrintMenu(out);
        int choice = 0;
        const Input input = ReadNumber(session, choice);
        if (input == Input::End || (input == Input::Number && choice == 0))
            break;
        // Choices outside the menu, and text that is no number, show the menu again.
        if (input == Input::Number && choice >= 1 && choice <= kMenuSize &&
            RunEntry(session, kMenu[choice - 1]) == Next::End)
            break;
    }
    std::fflush(out);
    return 0;
}

int RunVeltTester(std::FILE* in, std::FILE* out, const std::string& programDirectory)
{
    std::fputs("Checking System Compatibility!\n", out);
    if (!CheckCompatibleSystem()) {
        std::fputs(kNotCompatible, out);
        std::fprintf(out, kErrorFormat, 0);
        std::fflush(out);
        return 0;
    }
    std::fputs("System is compatible.................\n", out);
    return RunVeltTesterMenu(in, out, programDirectory);
}
