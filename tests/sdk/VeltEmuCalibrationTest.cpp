// Loading tables, the monitor's own calibration, writing it or going back to the previous mode.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "VeltEmuTestSupport.h"

namespace {

constexpr unsigned kSentinel = 0xA5A5A5A5u;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class EmuCalibrationTest : public EmulatorTest {
 protected:
  void SetUp() override {
    EmulatorTest::SetUp();
    FillTarget(request_.target);
    request_.gamma = 2.2f;
    request_.last = 1.0f;
    for (int i = 0; i < 1024; ++i) {
      for (int t = 0; t < 3; ++t) sources_[t].push_back(static_cast<float>(i) / 1023.0f + static_cast<float>(t));
    }
    FillTarget(tableRequest_.target);
    tableRequest_.table1 = sources_[0].data();
    tableRequest_.table2 = sources_[1].data();
    tableRequest_.table3 = sources_[2].data();
    tableRequest_.count1 = tableRequest_.count2 = tableRequest_.count3 = 1024;
    tableRequest_.last = 1.0f;
    std::fill(std::begin(result_), std::end(result_), kSentinel);
    ASSERT_EQ(ChangeMode(2), 1);
  }

  static bool TableLoaded(const std::string& key) {
    float read[256];
    return VeltEmu_GetTable(key.c_str(), read) == 1;
  }

  static std::vector<float> Table(const std::string& key) {
    std::vector<float> read(256);
    EXPECT_EQ(VeltEmu_GetTable(key.c_str(), read.data()), 1) << key;
    return read;
  }

  // Only the first 13 words of the result area may be written.
  void ExpectResultWithinThirteenWords() const {
    for (int i = 13; i < 16; ++i) EXPECT_EQ(result_[i], kSentinel) << i;
  }

  CalibrationRequest request_{};
  TableCalibrationRequest tableRequest_{};
  std::vector<float> sources_[3];
  unsigned result_[16];
};

}  // namespace

TEST_F(EmuCalibrationTest, LutIsCheckedThenStoredAsGivenForItsModeOnly) {
  std::vector<float> red(256), green(256, 1.5f), blue(256, -0.25f);
  for (int i = 0; i < 256; ++i) red[i] = static_cast<float>(i) / 255.0f;
  std::vector<float> bad = red;
  struct Case {
    float* red;
    float* green;
    float* blue;
    int mode;
    float badValue;
    int answer;
  };
  const Case cases[] = {
      {nullptr, green.data(), blue.data(), 4, 0.0f, 2},
      {red.data(), nullptr, blue.data(), 4, 0.0f, 2},
      {red.data(), green.data(), nullptr, 0, 0.0f, 2},
      {red.data(), green.data(), blue.data(), 0, 0.0f, 3},
      {red.data(), green.data(), blue.data(), 5, 0.0f, 3},
      {red.data(), bad.data(), blue.data(), 4, kNaN, 4},
      {red.data(), green.data(), bad.data(), 4, kInf, 4},
      {bad.data(), green.data(), blue.data(), 4, -kInf, 4},
  };
  for (const Case& c : cases) {
    bad[255] = c.badValue;
    EXPECT_EQ(Set_RGB_LUT(c.red, c.green, c.blue, c.mode), c.answer) << c.mode;
    for (int mode = 1; mode <= 4; ++mode) EXPECT_FALSE(TableLoaded("0.lut." + std::to_string(mode) + ".red"));
  }
  EXPECT_EQ(Set_RGB_LUT(red.data(), green.data(), blue.data(), 3), 1);
  EXPECT_EQ(Table("0.lut.3.red"), red);
  EXPECT_EQ(Table("0.lut.3.green"), green);
  EXPECT_EQ(Table("0.lut.3.blue"), blue);
  EXPECT_FALSE(TableLoaded("0.lut.4.red"));
  EXPECT_FALSE(TableLoaded("1.lut.3.red"));
}

TEST_F(EmuCalibrationTest, CalibrateThenWriteLoadsThePowerCurve) {
  SetValue("0.calibrationTime", 120);
  ASSERT_EQ(DisplayCalibrate(&request_, 3, result_), 1);
  EXPECT_EQ(ReadMode(), 4);
  EXPECT_NE(result_[0], 0u) << "a signature word";
  ExpectResultWithinThirteenWords();
  EXPECT_FALSE(TableLoaded("0.lut.4.red")) << "nothing is written before WriteCorrectInfoToDisplay";
  EXPECT_EQ(Get_Calibration_Time(), 120);

  ASSERT_EQ(WriteCorrectInfoToDisplay(result_), 1);
  EXPECT_EQ(Get_Calibration_Time(), 0);
  EXPECT_EQ(ReadMode(), 4);
  for (const char* channel : {"red", "green", "blue"}) {
    const std::vector<float> table = Table(std::string("0.lut.4.") + channel);
    for (int i = 0; i < 256; ++i) {
      EXPECT_NEAR(table[i], std::pow(i / 255.0, 2.2), 1e-6) << channel << " " << i;
    }
  }
}

TEST_F(EmuCalibrationTest, DroppedCalibrationGoesBackAndCannotBeWrittenLater) {
  ASSERT_EQ(DisplayCalibrate(&request_, 3, result_), 1);
  EXPECT_EQ(NotWriteAndBackPrevMode(), 1);
  EXPECT_EQ(ReadMode(), 2);
  EXPECT_EQ(WriteCorrectInfoToDisplay(result_), 0);
  EXPECT_FALSE(TableLoaded("0.lut.4.red"));
}

TEST_F(EmuCalibrationTest, BadCalibrateRequestsAnswerTheirStatusAndChangeNothing) {
  struct Case {
    const char* name;
    bool nullRequest;
    bool nullResult;
    int count;
    float gamma;
    int answer;
  };
  const Case cases[] = {
      {"null request", true, false, 3, 2.2f, 2},
      {"null result", false, true, 3, 2.2f, 2},
      {"count 2", false, false, 2, 2.2f, 3},
      {"count 13", false, false, 13, 2.2f, 3},
      {"NaN gamma", false, false, 3, kNaN, 4},
      {"infinite gamma", false, false, 3, kInf, 4},
      {"zero gamma", false, false, 3, 0.0f, 4},
      {"negative gamma", false, false, 3, -1.0f, 4},
  };
  for (const Case& c : cases) {
    request_.gamma = c.gamma;
    EXPECT_EQ(DisplayCalibrate(c.nullRequest ? nullptr : &request_, c.count, c.nullResult ? nullptr : result_),
              c.answer)
        << c.name;
    EXPECT_EQ(ReadMode(), 2) << c.name;
    for (const unsigned word : result_) EXPECT_EQ(word, kSentinel) << c.name;
  }
}

TEST_F(EmuCalibrationTest, TableCalibrateThenWriteLoadsEveryFourthValue) {
  ASSERT_EQ(DisplayCalibrate_LookUpTable(&tableRequest_, 3, result_), 1);
  EXPECT_EQ(ReadMode(), 4);
  ExpectResultWithinThirteenWords();
  ASSERT_EQ(WriteCorrectInfoToDisplay_LookUpTable(result_), 1);
  const char* const channels[] = {"red", "green", "blue"};
  for (int t = 0; t < 3; ++t) {
    const std::vector<float> table = Table(std::string("0.lut.4.") + channels[t]);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(table[i], sources_[t][4 * i]) << channels[t] << " " << i;
  }
}

TEST_F(EmuCalibrationTest, BadTableRequestsAnswerTheirStatusAndChangeNothing) {
  struct Case {
    const char* name;
    void (*damage)(TableCalibrationRequest&);
    int count;
    int answer;
  };
  const Case cases[] = {
      {"null table 1", [](TableCalibrationRequest& r) { r.table1 = nullptr; }, 3, 2},
      {"null table 2", [](TableCalibrationRequest& r) { r.table2 = nullptr; }, 3, 2},
      {"null table 3 and count 4", [](TableCalibrationRequest& r) { r.table3 = nullptr; }, 4, 2},
      {"count 4", [](TableCalibrationRequest&) {}, 4, 3},
      {"table 1 count 1023", [](TableCalibrationRequest& r) { r.count1 = 1023; }, 3, 3},
      {"table 3 count 1025", [](TableCalibrationRequest& r) { r.count3 = 1025; }, 3, 3},
      {"NaN in table 2", [](TableCalibrationRequest& r) { r.table2[1] = kNaN; }, 3, 4},
      {"infinity at the end of table 3", [](TableCalibrationRequest& r) { r.table3[1023] = kInf; }, 3, 4},
  };
  for (const Case& c : cases) {
    TableCalibrationRequest damaged = tableRequest_;
    std::vector<float> copies[3] = {sources_[0], sources_[1], sources_[2]};
    damaged.table1 = copies[0].data();
    damaged.table2 = copies[1].data();
    damaged.table3 = copies[2].data();
    c.damage(damaged);
    EXPECT_EQ(DisplayCalibrate_LookUpTable(&damaged, c.count, result_), c.answer) << c.name;
    EXPECT_EQ(ReadMode(), 2) << c.name;
    for (const unsigned word : result_) EXPECT_EQ(word, kSentinel) << c.name;
  }
  EXPECT_EQ(DisplayCalibrate_LookUpTable(&tableRequest_, 3, nullptr), 2);
}

TEST_F(EmuCalibrationTest, OnlyTheLatestResultOfTheMatchingKindIsWritten) {
  unsigned gammaResult[13] = {}, tableResult[13] = {}, zeroed[13] = {};
  ASSERT_EQ(DisplayCalibrate(&request_, 3, gammaResult), 1);
  ASSERT_EQ(DisplayCalibrate_LookUpTable(&tableRequest_, 3, tableResult), 1);
  EXPECT_EQ(WriteCorrectInfoToDisplay(tableResult), 0) << "table result to the gamma writer";
  EXPECT_EQ(WriteCorrectInfoToDisplay_LookUpTable(gammaResult), 0) << "gamma result to the table writer";
  EXPECT_EQ(WriteCorrectInfoToDisplay(gammaResult), 0) << "superseded by the table calibration";
  EXPECT_EQ(WriteCorrectInfoToDisplay(zeroed), 0);
  EXPECT_EQ(WriteCorrectInfoToDisplay_LookUpTable(zeroed), 0);
  EXPECT_EQ(WriteCorrectInfoToDisplay(nullptr), 0);
  EXPECT_FALSE(TableLoaded("0.lut.4.red"));
  EXPECT_EQ(WriteCorrectInfoToDisplay_LookUpTable(tableResult), 1);
  EXPECT_TRUE(TableLoaded("0.lut.4.red"));
}

TEST_F(EmuCalibrationTest, AnEarlierResultOfTheSameKindIsStale) {
  unsigned first[13] = {}, second[13] = {};
  ASSERT_EQ(DisplayCalibrate(&request_, 3, first), 1);
  request_.gamma = 1.8f;
  ASSERT_EQ(DisplayCalibrate(&request_, 3, second), 1);
  EXPECT_EQ(WriteCorrectInfoToDisplay(first), 0);
  EXPECT_FALSE(TableLoaded("0.lut.4.red"));
  EXPECT_EQ(WriteCorrectInfoToDisplay(second), 1);
  EXPECT_NEAR(Table("0.lut.4.red")[128], std::pow(128 / 255.0, 1.8), 1e-6);
}

TEST_F(EmuCalibrationTest, WriteGoesToTheDisplayThatWasCalibrated) {
  ASSERT_EQ(SwitchDisplay(1), 1);
  ASSERT_EQ(DisplayCalibrate(&request_, 3, result_), 1);
  EXPECT_EQ(Value("1.mode"), 4);
  ASSERT_EQ(SwitchDisplay(0), 1);
  EXPECT_EQ(WriteCorrectInfoToDisplay(result_), 1);
  EXPECT_TRUE(TableLoaded("1.lut.4.green"));
  EXPECT_FALSE(TableLoaded("0.lut.4.green"));
  EXPECT_EQ(ReadMode(), 2);
}
