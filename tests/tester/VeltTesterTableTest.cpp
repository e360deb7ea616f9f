// VeltTester's table files and the entries that read them (38 to 40), run as a process against
// the emulated monitor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TesterProcess.h"

namespace {

const std::string kGammaPrompt =
    "Enter the gamma values for Setting the RGBLUT. Give the  values are 0 for 1.6,1 for 1.8,2 for 2.0,"
    "3 for 2.2,4 for 2.4,5 for 2.6,6 for 2.8\n";
const std::string kSaveQuestion =
    "Calibration Succeded,do you want to save these results permanently in the monitor H/W? Press 1 for "
    "Saving and 2 for Not Saving and then press enter \n";
const std::string kUploaded = "RGBLut Setting is Successfull";

const char* const kGammaFileNames[] = {"g1.6.txt", "g1.8.txt", "g2.0.txt", "g2.2.txt",
                                       "g2.4.txt", "g2.6.txt", "g2.8.txt"};

std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string LutCall(const std::vector<float>& curve, int mode, int answer)
{
    const std::string table = "[" + JournalNumbers(curve) + "]";
    return "Set_RGB_LUT(" + table + ", " + table + ", " + table + ", " + std::to_string(mode) + ") -> " +
           std::to_string(answer);
}

std::string TableCalibrateCall(const std::vector<float>& table, int answer)
{
    const std::vector<float> target = {80.0f, 0.3127f, 0.3298f, 0.0f, 0.0f, 0.64f,
                                       0.33f, 0.21f,   0.71f,   0.15f, 0.06f};
    const std::string field = "[" + JournalNumbers(table) + "], 1024";
    return "DisplayCalibrate_LookUpTable({" + JournalNumbers(target) + ", " + field + ", " + field + ", " + field +
           ", 1}, 3) -> " + std::to_string(answer);
}

// `count` distinct numbers between 0 and 1, `perLine` to a line separated by blanks.
std::string NumberText(int count, int perLine)
{
    std::string text;
    char number[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, "%.7g", i / 299.0);
        text += number;
        text += (i + 1) % perLine == 0 ? "\n" : " ";
    }
    return text;
}

std::vector<float> FirstNumbers(const std::string& text, std::size_t count)
{
    std::vector<float> numbers = ParseNumbers(text);
    numbers.resize(count);
    return numbers;
}

TEST(VeltTesterTableFiles, AreBuiltNextToTheProgramOneNumberPerLine)
{
    struct Curve {
        const char* name;
        std::size_t count;
        double gamma;
    };
    const Curve kCurves[] = {{"gamma_table.txt", 1024, 2.2}, {"g1.6.txt", 256, 1.6}, {"g1.8.txt", 256, 1.8},
                             {"g2.0.txt", 256, 2.0},         {"g2.2.txt", 256, 2.2}, {"g2.4.txt", 256, 2.4},
                             {"g2.6.txt", 256, 2.6},         {"g2.8.txt", 256, 2.8}};
    for (const Curve& curve : kCurves) {
        SCOPED_TRACE(curve.name);
        std::istringstream text(ReadText(ProgramFolder() + curve.name));
        std::size_t i = 0;
        for (std::string line; std::getline(text, line); ++i) {
            const double expected = std::pow(static_cast<double>(i) / static_cast<double>(curve.count - 1), curve.gamma);
            char* end = nullptr;
            EXPECT_NEAR(std::strtod(line.c_str(), &end), expected, 1e-8) << "line " << i + 1;
            EXPECT_EQ(*end, '\0') << "one number per line";
        }
        EXPECT_EQ(i, curve.count);
    }
}

TEST(VeltTesterGammaUpload, SendsTheChosenFileToAllThreeChannelsOfItsMode)
{
    const std::vector<float> curve = ParseNumbers(ReadText(ProgramFolder() + "g2.2.txt"));
    ASSERT_EQ(curve.size(), 256u);
    const struct {
        int entry;
        int mode;
    } kEntries[] = {{39, 4}, {40, 3}};
    for (const auto& upload : kEntries) {
        SCOPED_TRACE(upload.entry);
        TempFolder folder;
        const TesterRun run = RunTester(folder, {std::to_string(upload.entry) + "\n3\n0\n", {}, "", {}});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.output, SessionOutput({kGammaPrompt + kUploaded, ""}));
        EXPECT_EQ(run.journal, SessionJournal({LutCall(curve, upload.mode, 1)}));
    }
}

TEST(VeltTesterGammaUpload, ReportsAFailedUpload)
{
    const std::vector<float> curve = ParseNumbers(ReadText(ProgramFolder() + "g1.6.txt"));
    TempFolder folder;
    const TesterRun run = RunTester(folder, {"39\n0\n0\n", {{"VELTDLL_LUT_STATUS", "7"}}, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput({kGammaPrompt + "RGBLut Setting is Failed", ""}));
    EXPECT_EQ(run.journal, SessionJournal({LutCall(curve, 4, 7)}));
}

TEST(VeltTesterGammaUpload, EachChoiceReadsItsOwnFile)
{
    // File k holds the constant curve (k + 1) / 10, so each upload shows which file it came from.
    std::map<std::string, std::string> files;
    std::string input;
    std::vector<std::string> afterEachMenu;
    std::vector<std::string> calls;
    for (int choice = 0; choice < 7; ++choice) {
        const std::string value = "0." + std::to_string(choice + 1);
        std::string text;
        for (int i = 0; i < 256; ++i)
            text += value + "\n";
        files[kGammaFileNames[choice]] = text;
        input += "40\n" + std::to_string(choice) + "\n";
        afterEachMenu.push_back(kGammaPrompt + kUploaded);
        calls.push_back(LutCall(std::vector<float>(256, std::strtof(value.c_str(), nullptr)), 3, 1));
    }
    afterEachMenu.push_back("");
    TempFolder folder;
    const std::string program = InstallTesterCopy(folder, files);
    const TesterRun run = RunTester(folder, {input + "0\n", {}, program, {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput(afterEachMenu));
    EXPECT_EQ(run.journal, SessionJournal(calls));
}

TEST(VeltTesterGammaUpload, ChoiceOutsideTheTableReadsNoFile)
{
    TempFolder folder;
    const TesterRun run = RunTester(folder, {"39\n7\n40\n-1\n0\n", {}, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput({kGammaPrompt + "There is no gamma table for 7: choose 0 to 6\n",
                                         kGammaPrompt + "There is no gamma table for -1: choose 0 to 6\n", ""}));
    EXPECT_EQ(run.journal, SessionJournal({}));
}

// Gamma files of every layout and fault, uploaded with entry 39 and choice 3 ("g2.2.txt").
struct GammaFileCase {
    const char* name;
    std::map<std::string, std::string> files;  // beside the program
    std::string problem;                       // after "Cannot read 256 numbers from <folder>"; "" for none
    std::vector<float> uploaded;
};

const GammaFileCase kGammaFiles[] = {
    {"OneNumberPerLine", {{"g2.2.txt", NumberText(256, 1)}}, "", FirstNumbers(NumberText(256, 1), 256)},
    {"SixteenNumbersPerLine", {{"g2.2.txt", NumberText(256, 16)}}, "", FirstNumbers(NumberText(256, 1), 256)},
    {"MoreNumbersThanNeeded", {{"g2.2.txt", NumberText(300, 1)}}, "", FirstNumbers(NumberText(300, 1), 256)},
    {"MissingFile", {}, "g2.2.txt: the file cannot be opened", {}},
    {"ShortFile", {{"g2.2.txt", NumberText(17, 1)}}, "g2.2.txt: only 17 found", {}},
    {"MalformedNumber", {{"g2.2.txt", NumberText(17, 1) + "0.5x\n" + NumberText(256, 1)}},
     "g2.2.txt: number 18 is malformed", {}},
    {"NumberTooLargeForAFloat", {{"g2.2.txt", "1e60\n" + NumberText(256, 1)}}, "g2.2.txt: number 1 is malformed",
     {}},
    {"NotANumber", {{"g2.2.txt", NumberText(5, 1) + "nan\n" + NumberText(256, 1)}}, "g2.2.txt: number 6 is malformed",
     {}},
};

void PrintTo(const GammaFileCase& file, std::ostream* os)
{
    *os << file.name;
}

class VeltTesterGammaFile : public ::testing::TestWithParam<GammaFileCase> {};

TEST_P(VeltTesterGammaFile, UploadsOnlyACompleteCurve)
{
    const GammaFileCase& file = GetParam();
    TempFolder folder;
    const std::string program = InstallTesterCopy(folder, file.files);
    const TesterRun run = RunTester(folder, {"39\n3\n0\n", {}, program, {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    const std::string programFolder = std::filesystem::path(program).parent_path().string() + "/";
    const std::string result =
        file.problem.empty() ? kUploaded : "Cannot read 256 numbers from " + programFolder + file.problem + "\n";
    EXPECT_EQ(run.output, SessionOutput({kGammaPrompt + result, ""}));
    EXPECT_EQ(run.journal,
              SessionJournal(file.uploaded.empty() ? std::vector<std::string>{}
                                                   : std::vector<std::string>{LutCall(file.uploaded, 4, 1)}));
}

INSTANTIATE_TEST_SUITE_P(Layouts, VeltTesterGammaFile, ::testing::ValuesIn(kGammaFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VeltTesterGammaUpload, FileThatCannotBeReadIsReported)
{
    TempFolder folder;
    const std::string program = InstallTesterCopy(folder, {});
    const std::string folderInPlace = std::filesystem::path(program).parent_path().string() + "/g2.2.txt";
    std::filesystem::create_directory(folderInPlace);  // opens, but yields no text
    const TesterRun run = RunTester(folder, {"39\n3\n0\n", {}, program, {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, SessionOutput({kGammaPrompt + "Cannot read 256 numbers from " + folderInPlace +
                                             ": the file cannot be read\n",
                                         ""}));
    EXPECT_EQ(run.journal, SessionJournal({}));
}

// Entry 38 calibrates with three copies of "gamma_table.txt" and ends like entry 37.
struct TableCalibrationCase {
    const char* name;
    std::string input;
    Environment environment;
    std::string afterCalibration;  // the output between the first menu and the next
    int status;                    // the calibration's answer
    std::vector<std::string> calls;  // the journal after the calibration call
    bool ends;                       // the program ends after the entry
};

const TableCalibrationCase kTableCalibrations[] = {
    {"Saved", "38\n1\n0\n", {}, kSaveQuestion + "Data Saved Successfully.....\n", 1,
     {"WriteCorrectInfoToDisplay_LookUpTable(result) -> 1"}, false},
    {"NotSaved", "38\n2\n0\n", {}, kSaveQuestion, 1, {"NotWriteAndBackPrevMode() -> 1"}, false},
    {"CalibrationFailureEndsTheProgram", "38\n1\n0\n", {{"VELTDLL_CALIBRATE_STATUS", "4"}},
     "Unable to Calibrate\nError returned = 4 \nPress any key to quit", 4, {"NotWriteAndBackPrevMode() -> 1"}, true},
    {"SaveFailureEndsTheProgram", "38\n1\n0\n", {{"VELTDLL_WRITE_STATUS", "0"}},
     kSaveQuestion + "Unable to save Data\nError returned = 0 \nPress any key to quit", 1,
     {"WriteCorrectInfoToDisplay_LookUpTable(result) -> 0"}, true},
};

void PrintTo(const TableCalibrationCase& calibration, std::ostream* os)
{
    *os << calibration.name;
}

class VeltTesterTableCalibration : public ::testing::TestWithParam<TableCalibrationCase> {};

TEST_P(VeltTesterTableCalibration, SendsThreeCopiesOfTheCalibrationTable)
{
    const TableCalibrationCase& calibration = GetParam();
    const std::vector<float> table = ParseNumbers(ReadText(ProgramFolder() + "gamma_table.txt"));
    ASSERT_EQ(table.size(), 1024u);
    TempFolder folder;
    const TesterRun run = RunTester(folder, {calibration.input, calibration.environment, "", {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    std::vector<std::string> afterEachMenu = {calibration.afterCalibration};
    if (!calibration.ends)
        afterEachMenu.push_back("");
    EXPECT_EQ(run.output, SessionOutput(afterEachMenu));
    std::vector<std::string> calls = {TableCalibrateCall(table, calibration.status)};
    calls.insert(calls.end(), calibration.calls.begin(), calibration.calls.end());
    EXPECT_EQ(run.journal, SessionJournal(calls));
}

INSTANTIATE_TEST_SUITE_P(Answers, VeltTesterTableCalibration, ::testing::ValuesIn(kTableCalibrations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VeltTesterTableCalibration, MissingTableCalibratesNothing)
{
    TempFolder folder;
    const std::string program = InstallTesterCopy(folder, {{"g2.2.txt", NumberText(256, 1)}});
    const TesterRun run = RunTester(folder, {"38\n0\n", {}, program, {}});
    EXPECT_EQ(run.status, 0) << run.errors;
    const std::string path = std::filesystem::path(program).parent_path().string() + "/gamma_table.txt";
    EXPECT_EQ(run.output,
              SessionOutput({"Cannot read 1024 numbers from " + path + ": the file cannot be opened\n", ""}));
    EXPECT_EQ(run.journal, SessionJournal({}));
}

}  // namespace
