// The journal's lines and the environment variables that override answers.
#include <functional>
#include <vector>

#include "VeltEmuTestSupport.h"

namespace {

class EmuJournalTest : public EmulatorTest {
 protected:
  void SetUp() override {
    EmulatorTest::SetUp();
    journal_ = PathOf("journal.txt");
    SetVariable("VELTDLL_JOURNAL", journal_);
  }
  std::string Journal() const { return ReadFile(journal_); }
  std::string journal_;
};

// count values of a four-step pattern, as "%.9g" prints them.
std::string Pattern(int count, const char* const steps[4]) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::string(steps[i % 4]);
  return text;
}

const char* const kQuarterSteps[4] = {"0", "0.25", "0.5", "0.75"};

std::vector<float> QuarterTable(int count) {
  std::vector<float> table(count);
  for (int i = 0; i < count; ++i) table[i] = static_cast<float>(i % 4) * 0.25f;
  return table;
}

const char kTargetText[] =
    "80 0.312700003 0.32980001 0 0 0.639999986 0.330000013 0.209999993 0.709999979 0.150000006 0.0599999987";

}  // namespace

TEST_F(EmuJournalTest, EachCallAppendsOneLine) {
  WriteFile(journal_, "earlier line\n");
  CheckCompatibleSystem();
  SetBrightness(150);
  Set_ColorTone(5, 1);
  SetValue("0.brightness", 200);  // controls leave no line
  GetBrightness();
  SwitchDisplay(7);
  SaveBrighntessForMode(80, 4);
  ChangeMode(4);
  ReadMode();
  Lock_OSD();
  ResetALL();
  NotWriteAndBackPrevMode();
  GetMonitorType();
  EXPECT_EQ(Journal(),
            "earlier line\n"
            "CheckCompatibleSystem() -> 1\n"
            "SetBrightness(150) -> 0\n"
            "Set_ColorTone(5, 1) -> 1\n"
            "GetBrightness() -> 200\n"
            "SwitchDisplay(7) -> 0\n"
            "SaveBrighntessForMode(80, 4) -> 1\n"
            "ChangeMode(4) -> 1\n"
            "ReadMode() -> 4\n"
            "Lock_OSD() -> 1\n"
            "ResetALL() -> 1\n"
            "NotWriteAndBackPrevMode() -> 1\n"
            "GetMonitorType() -> 1\n");
}

TEST_F(EmuJournalTest, LutLineShowsEveryValueAndNullTables) {
  std::vector<float> red = QuarterTable(256), blue = QuarterTable(256);
  blue[3] = 0.1f;
  EXPECT_EQ(Set_RGB_LUT(red.data(), red.data(), blue.data(), 4), 1);
  EXPECT_EQ(Set_RGB_LUT(red.data(), nullptr, blue.data(), 3), 2);
  const std::string quarters = "[" + Pattern(256, kQuarterSteps) + "]";
  std::string blueText = quarters;
  blueText.replace(blueText.find("0.75"), 4, "0.100000001");
  EXPECT_EQ(Journal(), "Set_RGB_LUT(" + quarters + ", " + quarters + ", " + blueText + ", 4) -> 1\n" +
                           "Set_RGB_LUT(" + quarters + ", null, " + blueText + ", 3) -> 2\n");
}

TEST_F(EmuJournalTest, CalibrateLinesShowTheRequest) {
  CalibrationRequest request{};
  FillTarget(request.target);
  request.gamma = 2.2f;
  request.last = 1.0f;
  unsigned result[13] = {};
  EXPECT_EQ(DisplayCalibrate(&request, 3, result), 1);
  EXPECT_EQ(WriteCorrectInfoToDisplay(result), 1);
  EXPECT_EQ(DisplayCalibrate(nullptr, 3, result), 2);
  EXPECT_EQ(WriteCorrectInfoToDisplay_LookUpTable(result), 0);
  EXPECT_EQ(WriteCorrectInfoToDisplay(nullptr), 0);
  EXPECT_EQ(Journal(), std::string("DisplayCalibrate({") + kTargetText + " 2.20000005 1}, 3) -> 1\n" +
                           "WriteCorrectInfoToDisplay(result) -> 1\n"
                           "DisplayCalibrate(null, 3) -> 2\n"
                           "WriteCorrectInfoToDisplay_LookUpTable(result) -> 0\n"
                           "WriteCorrectInfoToDisplay(null) -> 0\n");
}

TEST_F(EmuJournalTest, TableCalibrateLineShowsTablesAsTheirCountsSay) {
  std::vector<float> table = QuarterTable(1024);
  TableCalibrationRequest request{};
  FillTarget(request.target);
  request.last = 1.0f;
  unsigned result[13] = {};
  const std::string full = "[" + Pattern(1024, kQuarterSteps) + "]";
  struct Case {
    int count1;
    float* table2;
    int count2;
    int count3;
    int answer;
    std::string tables;
  };
  const Case cases[] = {
      {1024, table.data(), 1024, 1024, 1, full + ", 1024, " + full + ", 1024, " + full + ", 1024"},
      {2, table.data(), 0, 2000, 3, "[0 0.25], 2, [], 0, " + full + ", 2000"},
      {1024, nullptr, 1024, -5, 2, full + ", 1024, null, 1024, [], -5"},
  };
  std::string expected;
  for (const Case& c : cases) {
    request.table1 = table.data();
    request.count1 = c.count1;
    request.table2 = c.table2;
    request.count2 = c.count2;
    request.table3 = table.data();
    request.count3 = c.count3;
    EXPECT_EQ(DisplayCalibrate_LookUpTable(&request, 3, result), c.answer) << c.tables.substr(0, 40);
    expected += std::string("DisplayCalibrate_LookUpTable({") + kTargetText + ", " + c.tables + ", 1}, 3) -> " +
                std::to_string(c.answer) + "\n";
  }
  EXPECT_EQ(DisplayCalibrate_LookUpTable(nullptr, 2, result), 2);
  expected += "DisplayCalibrate_LookUpTable(null, 2) -> 2\n";
  EXPECT_EQ(Journal(), expected);
}

TEST_F(EmuJournalTest, JournalThatCannotBeOpenedIsSkipped) {
  SetVariable("VELTDLL_JOURNAL", folder_.string());
  EXPECT_EQ(SetBrightness(12), 1);
  EXPECT_EQ(GetBrightness(), 12);
  SetVariable("VELTDLL_JOURNAL", PathOf("no-such-folder/journal.txt"));
  EXPECT_EQ(SetContrast(13), 1);
  EXPECT_EQ(GetContrast(), 13);
  EXPECT_FALSE(std::filesystem::exists(PathOf("no-such-folder")));
}

using EmuOverrideTest = EmulatorTest;

TEST_F(EmuOverrideTest, VariablesReplaceAnswersOnlyWhenTheyAreWholeInts) {
  float table[256] = {};
  unsigned result[13] = {};
  CalibrationRequest request{};
  request.gamma = 2.2f;
  const std::function<int()> compatible = [] { return CheckCompatibleSystem(); };
  const std::function<int()> type = [] { return GetMonitorType(); };
  const std::function<int()> lut = [&] { return Set_RGB_LUT(table, table, table, 4); };
  const std::function<int()> calibrate = [&] { return DisplayCalibrate(&request, 3, result); };
  const struct {
    const char* variable;
    const char* value;
    const std::function<int()>& call;
    int answer;
  } cases[] = {
      {"VELTDLL_COMPATIBLE", "0", compatible, 0},
      {"VELTDLL_COMPATIBLE", "-0", compatible, 0},
      {"VELTDLL_COMPATIBLE", "2", compatible, 1},
      {"VELTDLL_COMPATIBLE", "no", compatible, 1},
      {"VELTDLL_COMPATIBLE", "0 ", compatible, 1},
      {"VELTDLL_COMPATIBLE", "", compatible, 1},
      {"VELTDLL_MONITOR_TYPE", "3", type, 3},
      {"VELTDLL_MONITOR_TYPE", "-7", type, -7},
      {"VELTDLL_MONITOR_TYPE", " 3", type, 1},
      {"VELTDLL_MONITOR_TYPE", "2x", type, 1},
      {"VELTDLL_MONITOR_TYPE", "99999999999", type, 1},
      {"VELTDLL_LUT_STATUS", "7", lut, 7},
      {"VELTDLL_LUT_STATUS", "1.5", lut, 1},
      {"VELTDLL_CALIBRATE_STATUS", "5", calibrate, 5},
  };
  for (const auto& c : cases) {
    SetVariable(c.variable, c.value);
    EXPECT_EQ(c.call(), c.answer) << c.variable << "=\"" << c.value << "\"";
    unsetenv(c.variable);
  }
  EXPECT_EQ(CheckCompatibleSystem(), 1) << "read at every call";
  EXPECT_EQ(GetMonitorType(), 1);
}

TEST_F(EmuOverrideTest, ImposedFailuresChangeNothing) {
  std::vector<float> table(256, 0.5f);
  SetVariable("VELTDLL_LUT_STATUS", "7");
  EXPECT_EQ(Set_RGB_LUT(table.data(), table.data(), table.data(), 4), 7);
  float read[256];
  EXPECT_EQ(VeltEmu_GetTable("0.lut.4.red", read), 0);

  SetVariable("VELTDLL_CALIBRATE_STATUS", "5");
  CalibrationRequest request{};
  request.gamma = 2.2f;
  unsigned result[13] = {};
  EXPECT_EQ(DisplayCalibrate(&request, 3, result), 5);
  EXPECT_EQ(ReadMode(), 0);
  for (const unsigned word : result) EXPECT_EQ(word, 0u);
  unsetenv("VELTDLL_CALIBRATE_STATUS");

  ASSERT_EQ(DisplayCalibrate(&request, 3, result), 1);
  SetVariable("VELTDLL_WRITE_STATUS", "0");
  EXPECT_EQ(WriteCorrectInfoToDisplay(result), 0);
  EXPECT_EQ(VeltEmu_GetTable("0.lut.4.red", read), 0);
}

TEST_F(EmuOverrideTest, ImposedSuccessOnBadArgumentsStoresNothing) {
  SetVariable("VELTDLL_LUT_STATUS", "1");
  float table[256] = {};
  EXPECT_EQ(Set_RGB_LUT(table, nullptr, table, 4), 1);
  float read[256];
  EXPECT_EQ(VeltEmu_GetTable("0.lut.4.red", read), 0);

  SetVariable("VELTDLL_CALIBRATE_STATUS", "1");
  EXPECT_EQ(DisplayCalibrate(nullptr, 3, nullptr), 1);
  EXPECT_EQ(DisplayCalibrate_LookUpTable(nullptr, 3, nullptr), 1);
  EXPECT_EQ(ReadMode(), 0);

  SetVariable("VELTDLL_WRITE_STATUS", "1");
  unsigned zeroed[13] = {};
  EXPECT_EQ(WriteCorrectInfoToDisplay(zeroed), 1);
  EXPECT_EQ(WriteCorrectInfoToDisplay_LookUpTable(nullptr), 1);
  EXPECT_EQ(VeltEmu_GetTable("0.lut.4.red", read), 0);
}
