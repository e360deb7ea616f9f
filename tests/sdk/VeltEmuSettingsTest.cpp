// Setters, getters, modes, per-mode values, displays and resets of the emulated monitor.
#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <vector>

#include "VeltEmuTestSupport.h"

namespace {

struct Setting {
  const char* name;
  unsigned char (*set)(int);
  unsigned char (*get)();
  const char* key;
  int min;
  int max;
};

const Setting kSettings[] = {
    {"Brightness", SetBrightness, GetBrightness, "brightness", 0, 100},
    {"Contrast", SetContrast, GetContrast, "contrast", 0, 100},
    {"RedColor", SetRedColor, GetRedColor, "red", 0, 64},
    {"GreenColor", SetGreenColor, GetGreenColor, "green", 0, 64},
    {"BlueColor", SetBlueColor, GetBlueColor, "blue", 0, 64},
    {"Gamma", SetGamma, GetGamma, "gamma", 0, 6},
    {"Sharpness", SetSharpness, GetSharpness, "sharpness", 0, 12},
    {"ColorTemperature", SetColorTemperature, GetColorTemperature, "colorTemperature", 0, 11},
    {"Hposition", Set_Hposition, Get_Hposition, "hPosition", 0, 100},
    {"Vposition", Set_Vposition, Get_Vposition, "vPosition", 0, 70},
    {"Coarse", Set_Coarse, Get_Coarse, "coarse", 0, 160},
    {"FineAdjustment", Set_FineAdjustment, Get_FineAdjustment, "fineAdjustment", 0, 31},
};

void PrintTo(const Setting& setting, std::ostream* out) { *out << setting.name; }

std::vector<int> ReadAllSettings() {
  std::vector<int> values;
  for (const Setting& setting : kSettings) values.push_back(setting.get());
  return values;
}

class EmuSettingTest : public EmulatorTest, public ::testing::WithParamInterface<Setting> {};

TEST_P(EmuSettingTest, AcceptsExactlyItsRangeAndTouchesNothingElse) {
  const Setting& setting = GetParam();
  const std::string key = std::string("0.") + setting.key;
  const int factory = Value(key);
  const struct {
    int value;
    int answer;
    int stored;
  } steps[] = {
      {setting.min - 1, 0, factory},
      {setting.min, 1, setting.min},
      {setting.max, 1, setting.max},
      {setting.max + 1, 0, setting.max},
  };
  const auto own = std::find_if(std::begin(kSettings), std::end(kSettings),
                                [&](const Setting& s) { return s.key == setting.key; });
  const auto index = static_cast<std::size_t>(own - std::begin(kSettings));
  for (const auto& step : steps) {
    std::vector<int> expected = ReadAllSettings();
    expected[index] = step.stored;
    EXPECT_EQ(setting.set(step.value), step.answer) << step.value;
    EXPECT_EQ(setting.get(), step.stored) << step.value;
    EXPECT_EQ(Value(key), step.stored) << step.value;
    EXPECT_EQ(ReadAllSettings(), expected) << "after " << step.value;
  }
}

TEST_P(EmuSettingTest, GetterAnswersTheLowEightBitsOfTheStoredValue) {
  const Setting& setting = GetParam();
  const std::string key = std::string("0.") + setting.key;
  const struct {
    int stored;
    int read;
  } cases[] = {{200, 200}, {300, 44}, {-1, 255}, {256, 0}};
  for (const auto& c : cases) {
    SetValue(key, c.stored);
    EXPECT_EQ(setting.get(), c.read) << c.stored;
  }
}

INSTANTIATE_TEST_SUITE_P(All, EmuSettingTest, ::testing::ValuesIn(kSettings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

using EmuModeTest = EmulatorTest;

TEST_F(EmuModeTest, ChangeModeAcceptsZeroToFourOnly) {
  for (int mode = -1; mode <= 5; ++mode) {
    ASSERT_EQ(ChangeMode(2), 1);
    const int expected = (mode >= 0 && mode <= 4) ? 1 : 0;
    EXPECT_EQ(ChangeMode(mode), expected) << mode;
    EXPECT_EQ(ReadMode(), expected ? mode : 2) << mode;
  }
}

TEST_F(EmuModeTest, DisplayCorrectionAcceptsOneToFourOnly) {
  for (int mode = -1; mode <= 5; ++mode) {
    ASSERT_EQ(ChangeMode(0), 1);
    const int expected = (mode >= 1 && mode <= 4) ? 1 : 0;
    EXPECT_EQ(SDKDisplayCorrection(mode), expected) << mode;
    EXPECT_EQ(ReadMode(), expected ? mode : 0) << mode;
  }
}

TEST_F(EmuModeTest, BackToPreviousModeSurvivesRepeatedSwitchToTheSameMode) {
  ASSERT_EQ(ChangeMode(2), 1);
  ASSERT_EQ(SDKDisplayCorrection(4), 1);
  ASSERT_EQ(ChangeMode(4), 1);  // what the plug-in does after the correction
  EXPECT_EQ(Value("0.previousMode"), 2);
  EXPECT_EQ(NotWriteAndBackPrevMode(), 1);
  EXPECT_EQ(ReadMode(), 2);
}

TEST_F(EmuModeTest, ReadModeAndIntGettersAnswerTheWholeStoredValue) {
  SetValue("0.mode", 7);
  SetValue("0.calibrationTime", 1234);
  SetValue("0.lastCalAlert", 300);
  EXPECT_EQ(ReadMode(), 7);
  EXPECT_EQ(Get_Calibration_Time(), 1234);
  EXPECT_EQ(Get_LastCalAlert(), 300);
}

using EmuValueListTest = EmulatorTest;

// Calls whose accepted values are a short list rather than one range.
TEST_F(EmuValueListTest, AcceptedValuesAreStoredAndOthersChangeNothing) {
  struct Case {
    std::string name;
    std::function<int(int)> call;
    std::vector<std::string> keys;
    std::vector<int> accepted;
    std::vector<int> rejected;
  };
  std::vector<Case> cases = {
      {"Set_Calibration_Alert", Set_Calibration_Alert, {"0.calibrationAlert", "0.lastCalAlert"},
       {0, 100, 300, 500}, {-1, 1, 200, 501}},
      {"Power_SaveMode", Power_SaveMode, {"0.powerSave"}, {4, 1}, {0, 2, 3, 5}},
      {"MonitorPower", MonitorPower, {"0.power"}, {0, 1}, {-1, 2}},
  };
  for (int mode = 1; mode <= 4; ++mode) {
    const std::string m = std::to_string(mode);
    cases.push_back({"Set_ColorTone mode " + m, [mode](int t) { return Set_ColorTone(t, mode); },
                     {"0.tone." + m}, {0, 11}, {-1, 12}});
    cases.push_back({"SaveBrighntessForMode mode " + m,
                     [mode](int b) { return SaveBrighntessForMode(b, mode); },
                     {"0.savedBrightness." + m}, {0, 255}, {-1, 256}});
  }
  for (const Case& c : cases) {
    for (const int value : c.accepted) {
      EXPECT_EQ(c.call(value), 1) << c.name << " " << value;
      for (const std::string& key : c.keys) EXPECT_EQ(Value(key), value) << c.name << " " << key;
    }
    for (const int value : c.rejected) {
      EXPECT_EQ(c.call(value), 0) << c.name << " " << value;
      for (const std::string& key : c.keys) EXPECT_EQ(Value(key), c.accepted.back()) << c.name << " " << key;
    }
  }
}

TEST_F(EmuValueListTest, PerModeValuesStayWithTheirModeAndBadModesAreRefused) {
  EXPECT_EQ(Set_ColorTone(7, 2), 1);
  EXPECT_EQ(SaveBrighntessForMode(200, 3), 1);
  for (const int mode : {0, 5, -1}) {
    EXPECT_EQ(Set_ColorTone(1, mode), 0) << mode;
    EXPECT_EQ(SaveBrighntessForMode(1, mode), 0) << mode;
  }
  for (int mode = 1; mode <= 4; ++mode) {
    const std::string m = std::to_string(mode);
    EXPECT_EQ(Value("0.tone." + m) == 7, mode == 2) << mode;
    EXPECT_EQ(Value("0.savedBrightness." + m) == 200, mode == 3) << mode;
  }
}

TEST_F(EmuValueListTest, OsdLockFollowsLockAndUnlock) {
  EXPECT_EQ(Lock_OSD(), 1);
  EXPECT_EQ(Value("0.osdLocked"), 1);
  EXPECT_EQ(Unlock_OSD(), 1);
  EXPECT_EQ(Value("0.osdLocked"), 0);
}

using EmuDisplayTest = EmulatorTest;

TEST_F(EmuDisplayTest, EachDisplayKeepsItsOwnState) {
  const int factory = GetBrightness();
  EXPECT_EQ(SwitchDisplay(1), 1);
  ASSERT_EQ(SetBrightness(10), 1);
  ASSERT_EQ(ChangeMode(3), 1);
  EXPECT_EQ(SwitchDisplay(0), 1);
  EXPECT_EQ(GetBrightness(), factory);
  EXPECT_EQ(ReadMode(), 0);
  EXPECT_EQ(Value("1.brightness"), 10);
  EXPECT_EQ(Value("1.mode"), 3);
  EXPECT_EQ(SwitchDisplay(1), 1);
  EXPECT_EQ(GetBrightness(), 10);
}

TEST_F(EmuDisplayTest, OtherDisplayNumbersAreRefusedAndKeepTheSelection) {
  ASSERT_EQ(SwitchDisplay(1), 1);
  for (const int display : {2, -1, 100}) EXPECT_EQ(SwitchDisplay(display), 0) << display;
  ASSERT_EQ(SetContrast(11), 1);
  EXPECT_EQ(Value("1.contrast"), 11);
}

TEST_F(EmuDisplayTest, SelectionIsNotKeptInTheStateFile) {
  const std::string state = PathOf("state.txt");
  SetVariable("VELTDLL_STATE", state);
  EXPECT_EQ(SwitchDisplay(1), 1);
  EXPECT_FALSE(std::filesystem::exists(state));
  ASSERT_EQ(SetGamma(2), 1);
  EXPECT_EQ(ReadFile(state).find("display"), std::string::npos);
  EXPECT_EQ(Value("1.gamma"), 2);
}

using EmuResetTest = EmulatorTest;

TEST_F(EmuResetTest, EachResetRestoresItsOwnValuesOnTheSelectedDisplay) {
  const std::vector<std::string> settings = {"brightness", "contrast", "red", "green", "blue",
                                             "gamma", "sharpness", "colorTemperature", "hPosition",
                                             "vPosition", "coarse", "fineAdjustment"};
  const std::vector<std::string> geometry = {"hPosition", "vPosition", "coarse", "fineAdjustment"};
  const std::vector<std::string> others = {"mode", "previousMode", "power", "powerSave", "osdLocked",
                                           "calibrationAlert", "calibrationTime", "lastCalAlert",
                                           "tone.1", "tone.4", "savedBrightness.2", "savedBrightness.3"};
  std::vector<std::string> everything = settings;
  everything.insert(everything.end(), others.begin(), others.end());
  struct Case {
    const char* name;
    unsigned char (*reset)();
    std::vector<std::string> restored;
    bool clearsTables;
  };
  const Case cases[] = {
      {"ResetALL", ResetALL, settings, false},
      {"Reset_Brit_Cont", Reset_Brit_Cont, {"brightness", "contrast"}, false},
      {"ResetGeometry", ResetGeometry, geometry, false},
      {"AutoSetup", AutoSetup, geometry, false},
      {"Reset_Factory", Reset_Factory, everything, true},
  };
  std::map<std::string, int> factory;
  for (const std::string& key : everything) factory[key] = Value("0." + key);
  float table[256] = {};
  for (const Case& c : cases) {
    ASSERT_EQ(SwitchDisplay(0), 1);
    int changed = 1000;
    for (const std::string& key : everything) {
      SetValue("0." + key, ++changed);
      SetValue("1." + key, changed);
    }
    ASSERT_EQ(Set_RGB_LUT(table, table, table, 2), 1);
    ASSERT_EQ(SwitchDisplay(1), 1);
    ASSERT_EQ(Set_RGB_LUT(table, table, table, 2), 1);
    ASSERT_EQ(SwitchDisplay(0), 1);

    EXPECT_EQ(c.reset(), 1) << c.name;
    changed = 1000;
    for (const std::string& key : everything) {
      ++changed;
      const bool restored = std::find(c.restored.begin(), c.restored.end(), key) != c.restored.end();
      EXPECT_EQ(Value("0." + key), restored ? factory[key] : changed) << c.name << " " << key;
      EXPECT_EQ(Value("1." + key), changed) << c.name << " display 1 " << key;
    }
    float read[256];
    EXPECT_EQ(VeltEmu_GetTable("0.lut.2.green", read), c.clearsTables ? 0 : 1) << c.name;
    EXPECT_EQ(VeltEmu_GetTable("1.lut.2.green", read), 1) << c.name;
  }
}

TEST_F(EmuResetTest, ControlResetRestoresBothDisplaysAndSelectsDisplayZero) {
  const int factory = GetBrightness();
  ASSERT_EQ(SetBrightness(1), 1);
  ASSERT_EQ(SwitchDisplay(1), 1);
  ASSERT_EQ(SetBrightness(2), 1);
  VeltEmu_Reset();
  EXPECT_EQ(Value("1.brightness"), factory);
  ASSERT_EQ(SetBrightness(3), 1);
  EXPECT_EQ(Value("0.brightness"), 3);
  EXPECT_EQ(Value("1.brightness"), factory);
}

TEST_F(EmuResetTest, ControlKeysAreExactlyTheStateFileKeys) {
  int value = 0;
  for (const char* key : {"0.Brightness", "2.brightness", "0.tone.0", "0.tone.5", "brightness", "0.",
                          "0.lut.4.red", "", "0.brightness "}) {
    EXPECT_EQ(VeltEmu_GetValue(key, &value), 0) << key;
    EXPECT_EQ(VeltEmu_SetValue(key, 1), 0) << key;
  }
  EXPECT_EQ(VeltEmu_GetValue(nullptr, &value), 0);
  EXPECT_EQ(VeltEmu_GetValue("0.mode", nullptr), 0);
}
