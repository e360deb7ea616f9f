// The DDC/CI VeltDLL's mapping of SDK calls onto VCP features, driven through the SDK's own C
// functions with scripted monitors behind them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <ddcutil_status_codes.h>

#include "VeltDLL.h"
#include "VeltDdcFakeBus.h"
#include "VeltDdcLibddcutil.h"

namespace {

constexpr int kBrightness = 0x10;
constexpr int kColorPreset = 0x14;
constexpr int kPowerMode = 0xD6;
constexpr int kSharpness = 0x87;

// A monitor with every feature the library uses, ranges as real monitors have them.
FakeMonitor FullMonitor(const std::string& maker = "DEL", const std::string& model = "U2720Q",
                        unsigned char edidSeed = 1) {
  FakeMonitor monitor = MakeMonitor(maker, model, edidSeed);
  monitor.features = {
      {0x10, {50, 100}}, {0x12, {50, 100}}, {0x16, {128, 255}}, {0x18, {128, 255}}, {0x1A, {128, 255}},
      {0x87, {2, 4}},    {0x20, {50, 100}}, {0x30, {50, 100}},  {0x0E, {50, 100}},  {0x3E, {31, 63}},
      {0x14, {0x05, 0x0D}}, {0x04, {0, 1}}, {0x05, {0, 1}},     {0x06, {0, 1}},     {0x1E, {0, 1}},
      {0xCA, {2, 2}},    {0xD6, {1, 5}},
  };
  return monitor;
}

std::string Write(int display, int feature, int value) {
  char line[64];
  std::snprintf(line, sizeof line, "%d: 0x%02X = %d", display, feature, value);
  return line;
}

class DdcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No X server unless a test starts one: the primary display comes from X when there is one.
    if (const char* display = std::getenv("DISPLAY")) savedDisplay_ = display;
    unsetenv("DISPLAY");
    ddc_ = std::make_shared<FakeDdc>();
  }
  void TearDown() override {
    if (!savedDisplay_.empty()) setenv("DISPLAY", savedDisplay_.c_str(), 1);
  }

  // Puts the monitors behind a fresh library state.
  void Attach(std::vector<FakeMonitor> monitors) {
    ddc_->monitors = std::move(monitors);
    ddc_->writes.clear();
    ddc_->scans = 0;
    UseFakeBus(ddc_);
  }

  int Current(int display, int feature) const { return ddc_->monitors.at(display).features.at(feature).current; }

  std::shared_ptr<FakeDdc> ddc_;
  std::string savedDisplay_;
};

struct ContinuousCase {
  const char* name;
  unsigned char (*set)(int);
  unsigned char (*get)();
  int feature;
  int sdkMaximum;
};

const ContinuousCase kContinuousCases[] = {
    {"brightness", SetBrightness, GetBrightness, 0x10, 100},
    {"contrast", SetContrast, GetContrast, 0x12, 100},
    {"red", SetRedColor, GetRedColor, 0x16, 64},
    {"green", SetGreenColor, GetGreenColor, 0x18, 64},
    {"blue", SetBlueColor, GetBlueColor, 0x1A, 64},
    {"sharpness", SetSharpness, GetSharpness, 0x87, 12},
    {"h position", Set_Hposition, Get_Hposition, 0x20, 100},
    {"v position", Set_Vposition, Get_Vposition, 0x30, 70},
    {"coarse", Set_Coarse, Get_Coarse, 0x0E, 160},
    {"fine", Set_FineAdjustment, Get_FineAdjustment, 0x3E, 31},
};

TEST_F(DdcTest, SettingsSpreadTheSdkRangeOverTheMonitorsRange) {
  for (const ContinuousCase& setting : kContinuousCases) {
    SCOPED_TRACE(setting.name);
    Attach({FullMonitor()});
    const int maximum = ddc_->monitors[0].features.at(setting.feature).maximum;
    for (int value : {0, 1, setting.sdkMaximum / 2, setting.sdkMaximum - 1, setting.sdkMaximum}) {
      SCOPED_TRACE(value);
      ASSERT_EQ(setting.set(value), 1);
      const int written = static_cast<int>(std::lround(value * double(maximum) / setting.sdkMaximum));
      EXPECT_EQ(ddc_->writes.back(), Write(0, setting.feature, written));
      EXPECT_EQ(setting.get(), std::lround(written * double(setting.sdkMaximum) / maximum));
    }
    const size_t writes = ddc_->writes.size();
    EXPECT_EQ(setting.set(-1), 0);
    EXPECT_EQ(setting.set(setting.sdkMaximum + 1), 0);
    EXPECT_EQ(ddc_->writes.size(), writes) << "a value the SDK refuses reaches the monitor";
  }
}

TEST_F(DdcTest, GettersStayInTheSdkRangeWhateverTheMonitorAnswers) {
  FakeMonitor monitor = FullMonitor();
  monitor.features[0x16] = {300, 255};  // a current value beyond the monitor's own maximum
  Attach({monitor});
  EXPECT_EQ(GetRedColor(), 64);
}

TEST_F(DdcTest, ColourTemperaturesGoToTheNearestPresetTheWarmerOnATie) {
  // SDK index -> MCCS colour preset: 4000 4500 5000 5500 6000 6500 7000 7500 8000 8500 9000 9300 K
  const int kExpected[] = {0x03, 0x03, 0x04, 0x04, 0x05, 0x05, 0x05, 0x06, 0x07, 0x07, 0x08, 0x08};
  Attach({FullMonitor()});
  for (int index = 0; index < 12; ++index) {
    SCOPED_TRACE(index);
    ASSERT_EQ(SetColorTemperature(index), 1);
    EXPECT_EQ(Current(0, kColorPreset), kExpected[index]);
    ASSERT_EQ(Set_ColorTone(index, 4), 1);
    EXPECT_EQ(Current(0, kColorPreset), kExpected[index]);
  }
  const size_t writes = ddc_->writes.size();
  EXPECT_EQ(SetColorTemperature(12), 0);
  EXPECT_EQ(SetColorTemperature(-1), 0);
  EXPECT_EQ(Set_ColorTone(5, 0), 0);
  EXPECT_EQ(Set_ColorTone(5, 5), 0);
  EXPECT_EQ(ddc_->writes.size(), writes);
}

TEST_F(DdcTest, ThePresetShownReadsAsTheNearestSdkTemperature) {
  const struct {
    int preset;
    int index;
  } kCases[] = {{0x03, 0}, {0x04, 2}, {0x05, 5}, {0x01, 5}, {0x06, 7}, {0x07, 8}, {0x08, 11}, {0x0A, 11}};
  Attach({FullMonitor()});
  for (const auto& c : kCases) {
    ddc_->monitors[0].features[kColorPreset].current = c.preset;
    EXPECT_EQ(GetColorTemperature(), c.index) << "preset " << c.preset;
  }
  ddc_->monitors[0].features[kColorPreset].current = 0x0B;  // a user preset has no temperature
  testing::internal::CaptureStderr();
  EXPECT_EQ(GetColorTemperature(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("colour preset 0x0B, which has no colour temperature"),
            std::string::npos);
}

TEST_F(DdcTest, ActionsWriteTheirFeatures) {
  const struct {
    const char* name;
    std::function<int()> call;
    int feature;
    int value;
  } kCases[] = {
      {"ResetALL", ResetALL, 0x04, 1},
      {"Reset_Factory", Reset_Factory, 0x04, 1},
      {"Reset_Brit_Cont", Reset_Brit_Cont, 0x05, 1},
      {"ResetGeometry", ResetGeometry, 0x06, 1},
      {"AutoSetup", AutoSetup, 0x1E, 1},
      {"Lock_OSD", Lock_OSD, 0xCA, 1},
      {"Unlock_OSD", Unlock_OSD, 0xCA, 2},
      {"MonitorPower(1)", [] { return MonitorPower(1); }, kPowerMode, 1},
      {"MonitorPower(0)", [] { return MonitorPower(0); }, kPowerMode, 2},
      {"Power_SaveMode(4)", [] { return Power_SaveMode(4); }, kPowerMode, 2},
      {"Power_SaveMode(1)", [] { return Power_SaveMode(1); }, kPowerMode, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Attach({FullMonitor()});
    EXPECT_EQ(c.call(), 1);
    EXPECT_EQ(ddc_->writes, std::vector<std::string>{Write(0, c.feature, c.value)});
  }
}

TEST_F(DdcTest, PowerCallsNeverSendTheOffStatesMonitorsDoNotWakeFrom) {
  Attach({FullMonitor()});
  for (int value = -2; value <= 10; ++value) {
    const unsigned char power = MonitorPower(value);
    const unsigned char saving = Power_SaveMode(value);
    EXPECT_EQ(power, value == 0 || value == 1) << value;
    EXPECT_EQ(saving, value == 1 || value == 4) << value;
  }
  for (const std::string& write : ddc_->writes) {
    EXPECT_TRUE(write == Write(0, kPowerMode, 1) || write == Write(0, kPowerMode, 2)) << write;
  }
}

TEST_F(DdcTest, ModesFollowThePresetsAndARoundTripLeavesTheMonitorAlone) {
  FakeMonitor srgb = FullMonitor("DEL", "A", 1);
  srgb.features[kColorPreset].current = 0x01;
  Attach({FullMonitor("DEL", "B", 2), srgb});

  // What a connecting device does: read the mode, go to Custom, ask, go back.
  const int mode = ReadMode();
  EXPECT_EQ(mode, 0);
  ChangeMode(0);
  GetMonitorType();
  ChangeMode(mode);
  EXPECT_TRUE(ddc_->writes.empty());
  EXPECT_EQ(Current(0, kColorPreset), 0x05);

  EXPECT_EQ(ChangeMode(4), 1);
  EXPECT_EQ(ddc_->writes.back(), Write(0, kColorPreset, 0x0B));
  EXPECT_EQ(ReadMode(), 4);
  EXPECT_EQ(NotWriteAndBackPrevMode(), 1);
  EXPECT_EQ(ReadMode(), 0);
  EXPECT_EQ(ChangeMode(1), 1);
  EXPECT_EQ(ddc_->writes.back(), Write(0, kColorPreset, 0x01));
  const size_t writes = ddc_->writes.size();
  EXPECT_EQ(ChangeMode(2), 1);  // no preset for AdobeRGB: remembered only
  EXPECT_EQ(ReadMode(), 2);
  EXPECT_EQ(ChangeMode(5), 0);
  EXPECT_EQ(ChangeMode(-1), 0);
  EXPECT_EQ(ddc_->writes.size(), writes);
  EXPECT_EQ(ReadMode(), 2);

  SwitchDisplay(1);
  EXPECT_EQ(ReadMode(), 1) << "each display has its own mode, first read from its preset";
}

TEST_F(DdcTest, AModeLastsOnlyWhileTheMonitorShowsItsPreset) {
  Attach({FullMonitor()});
  ASSERT_EQ(ChangeMode(4), 1);
  ASSERT_EQ(SetColorTemperature(5), 1);  // the monitor leaves the user preset
  EXPECT_EQ(ReadMode(), 0);
  ASSERT_EQ(ChangeMode(4), 1);
  EXPECT_EQ(ddc_->writes.back(), Write(0, kColorPreset, 0x0B)) << "calibration mode must be entered again";

  ddc_->monitors[0].features[kColorPreset].current = 0x01;  // the monitor's own buttons chose sRGB
  EXPECT_EQ(ReadMode(), 1);
}

TEST_F(DdcTest, AModeChangeOnAMonitorThatDoesNotAnswerFails) {
  Attach({FullMonitor()});
  ddc_->monitors[0].faults[kColorPreset] = {VeltDdcFault::kNoAnswer, "DDCRC_RETRIES"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ChangeMode(0), 0);
  EXPECT_EQ(ChangeMode(4), 0);
  EXPECT_EQ(NotWriteAndBackPrevMode(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("stopped answering"), std::string::npos);
  EXPECT_TRUE(ddc_->writes.empty());
}

TEST_F(DdcTest, SwitchDisplayAddressesTheDetectedDisplays) {
  Attach({FullMonitor("DEL", "A", 1), FullMonitor("DEL", "B", 2)});
  EXPECT_EQ(SwitchDisplay(1), 1);
  EXPECT_EQ(SetBrightness(30), 1);
  EXPECT_EQ(SwitchDisplay(0), 1);
  EXPECT_EQ(SetBrightness(70), 1);
  EXPECT_EQ(SwitchDisplay(2), 0);
  EXPECT_EQ(SetContrast(10), 1) << "a refused switch keeps the selection";
  EXPECT_EQ(ddc_->writes, (std::vector<std::string>{Write(1, kBrightness, 30), Write(0, kBrightness, 70),
                                                    Write(0, 0x12, 10)}));
  EXPECT_EQ(ddc_->scans, 1) << "the displays are found once per process";
}

TEST_F(DdcTest, AMissingDisplayFailsEveryCallWithOneLine) {
  Attach({FullMonitor()});
  testing::internal::CaptureStderr();
  EXPECT_EQ(SwitchDisplay(1), 0);
  const std::string switched = testing::internal::GetCapturedStderr();
  EXPECT_EQ(switched, "VeltDLL: there is no display 1: 1 monitor(s) answer DDC/CI\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(SetBrightness(30), 0);
  EXPECT_EQ(GetBrightness(), 0);
  EXPECT_EQ(GetMonitorType(), 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), switched + switched + switched);
  EXPECT_TRUE(ddc_->writes.empty());
}

TEST_F(DdcTest, NoMonitorAnswersTheSdksFailureAndSaysWhyOnce) {
  ddc_->problem = "no monitor answers DDC/CI: load the i2c-dev module";
  testing::internal::CaptureStderr();
  Attach({});
  EXPECT_EQ(CheckCompatibleSystem(), 0);
  EXPECT_EQ(GetBrightness(), 0);
  EXPECT_EQ(SetBrightness(50), 0);
  EXPECT_EQ(ReadMode(), 0);
  EXPECT_EQ(GetMonitorType(), 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "VeltDLL: no monitor answers DDC/CI: load the i2c-dev module\n");
}

TEST_F(DdcTest, MonitorTypeComesFromTheEdidsMakerAndModel) {
  const struct {
    const char* maker;
    const char* model;
    int type;
  } kCases[] = {{"VLT", "Alder 24", 0}, {"VLT", "Birch", 1}, {"VLT", "Cedar 32", 2},
                {"VLT", "Elm", 3},      {"DEL", "Birch", 3}, {"", "", 3}};
  for (const auto& c : kCases) {
    Attach({FullMonitor(c.maker, c.model)});
    EXPECT_EQ(CheckCompatibleSystem(), 1);
    EXPECT_EQ(GetMonitorType(), c.type) << c.maker << " " << c.model;
  }
}

TEST_F(DdcTest, FailuresAnswerZeroWithALineNamingCauseAndFix) {
  const struct {
    VeltDdcFault fault;
    const char* detail;
    const char* line;
  } kCases[] = {
      {VeltDdcFault::kUnsupported, "DDCRC_REPORTED_UNSUPPORTED",
       "VeltDLL: display 0 (DEL U2720Q, /dev/i2c-7) does not support VCP feature 0x10 (brightness)\n"},
      {VeltDdcFault::kNoAnswer, "DDCRC_RETRIES",
       "VeltDLL: display 0 (DEL U2720Q, /dev/i2c-7) stopped answering DDC/CI while writing VCP feature 0x10 "
       "(brightness) (DDCRC_RETRIES): check the cable, that DDC/CI is on in the monitor's menu and that the "
       "monitor is awake\n"},
      {VeltDdcFault::kNoPermission, "EACCES",
       "VeltDLL: no permission to open the I2C device of display 0 (DEL U2720Q, /dev/i2c-7) (EACCES): add a "
       "udev rule giving your user read and write access to /dev/i2c-* (for example KERNEL==\"i2c-[0-9]*\", "
       "GROUP=\"i2c\", MODE=\"0660\", with your user in the i2c group)\n"},
      {VeltDdcFault::kFailed, "DDCRC_ARG",
       "VeltDLL: display 0 (DEL U2720Q, /dev/i2c-7): writing VCP feature 0x10 (brightness) failed (DDCRC_ARG)\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.detail);
    Attach({FullMonitor("DEL", "U2720Q", 7)});
    ASSERT_EQ(SetBrightness(40), 1) << "the monitor answers at first";
    ddc_->monitors[0].faults[kBrightness] = {c.fault, c.detail};
    testing::internal::CaptureStderr();
    EXPECT_EQ(SetBrightness(60), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetBrightness(), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    ddc_->monitors[0].faults.clear();
    EXPECT_EQ(GetBrightness(), 40) << "the monitor answers again";
  }
}

TEST_F(DdcTest, AFeatureWithoutRangeIsRefused) {
  FakeMonitor monitor = FullMonitor("DEL", "U2720Q", 7);
  monitor.features[kSharpness] = {0, 0};
  Attach({monitor});
  testing::internal::CaptureStderr();
  EXPECT_EQ(SetSharpness(6), 0);
  EXPECT_EQ(GetSharpness(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("reports no range for VCP feature 0x87 (sharpness)"),
            std::string::npos);
  EXPECT_TRUE(ddc_->writes.empty());
}

TEST_F(DdcTest, WhatDdcCannotDoAnswersFailure) {
  Attach({FullMonitor()});
  testing::internal::CaptureStderr();
  EXPECT_EQ(DisplayCalibrate(nullptr, 3, nullptr), 8);
  EXPECT_EQ(DisplayCalibrate_LookUpTable(nullptr, 3, nullptr), 8);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("DisplayCalibrate is not available over DDC/CI"),
            std::string::npos);
  EXPECT_EQ(WriteCorrectInfoToDisplay(nullptr), 0);
  EXPECT_EQ(SaveBrighntessForMode(80, 4), 0);
  EXPECT_EQ(SDKDisplayCorrection(4), 0);
  EXPECT_EQ(SetGamma(3), 0);
  EXPECT_TRUE(ddc_->writes.empty());
}

TEST_F(DdcTest, TablesAreCheckedBeforeTheXServerIsAsked) {
  Attach({FullMonitor()});
  std::vector<float> table(256, 0.5f);
  std::vector<float> bad = table;
  float* t = table.data();
  const struct {
    const char* name;
    float* red;
    float* blue;
    int mode;
    int status;
  } kCases[] = {
      {"null table", nullptr, t, 4, 2}, {"null blue", t, nullptr, 4, 2}, {"mode 0", t, t, 0, 3},
      {"mode 5", t, t, 5, 3},           {"NaN", t, bad.data(), 4, 4},    {"no X server", t, t, 4, 5},
  };
  bad[17] = std::nanf("");
  for (const auto& c : kCases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Set_RGB_LUT(c.red, t, c.blue, c.mode), c.status) << c.name;
    const std::string errors = testing::internal::GetCapturedStderr();
    if (c.status == 5) {
      EXPECT_EQ(errors.rfind("VeltDLL: no X server", 0), 0u) << errors;
    }
  }
  bad[17] = INFINITY;
  EXPECT_EQ(Set_RGB_LUT(t, bad.data(), t, 4), 4);
}

TEST_F(DdcTest, CallsFromManyThreadsReachTheBusOneAtATime) {
  Attach({FullMonitor("DEL", "A", 1), FullMonitor("DEL", "B", 2)});
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 300; ++i) {
        SetBrightness(i % 101);
        GetContrast();
        SwitchDisplay((i + t) % 2);
        ChangeMode(i % 5);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(ddc_->overlapped);
}

TEST(DdcStatus, LibddcutilStatusesReadAsTheirCause) {
  const struct {
    int status;
    VeltDdcFault fault;
  } kCases[] = {
      {DDCRC_OK, VeltDdcFault::kNone},
      {DDCRC_REPORTED_UNSUPPORTED, VeltDdcFault::kUnsupported},
      {DDCRC_DETERMINED_UNSUPPORTED, VeltDdcFault::kUnsupported},
      {DDCRC_RETRIES, VeltDdcFault::kNoAnswer},
      {DDCRC_NULL_RESPONSE, VeltDdcFault::kNoAnswer},
      {DDCRC_ALL_RESPONSES_NULL, VeltDdcFault::kNoAnswer},
      {-EIO, VeltDdcFault::kNoAnswer},
      {-EACCES, VeltDdcFault::kNoPermission},
      {-EPERM, VeltDdcFault::kNoPermission},
      {DDCRC_ARG, VeltDdcFault::kFailed},
      {DDCRC_INVALID_DISPLAY, VeltDdcFault::kFailed},
  };
  for (const auto& c : kCases) EXPECT_EQ(VeltClassifyDdcStatus(c.status), c.fault) << c.status;
}

TEST(DdcStatus, NoDisplayIsExplainedFromTheI2cDevices) {
  const struct {
    std::vector<VeltI2cDevice> devices;
    const char* says;
  } kCases[] = {
      {{}, "there are no /dev/i2c-* devices; load the i2c-dev module (sudo modprobe i2c-dev"},
      {{{"/dev/i2c-1", false}, {"/dev/i2c-2", false}}, "no permission to read and write any /dev/i2c-* device; add a udev rule"},
      {{{"/dev/i2c-0", false}, {"/dev/i2c-4", true}}, "turn DDC/CI on in the monitor's menu"},
      {{{"/dev/i2c-1", true}}, "turn DDC/CI on in the monitor's menu"},
  };
  for (const auto& c : kCases) {
    const std::string line = VeltExplainNoDisplay(c.devices);
    EXPECT_EQ(line.rfind("no monitor answers DDC/CI: ", 0), 0u) << line;
    EXPECT_NE(line.find(c.says), std::string::npos) << line;
  }
}

}  // namespace
