// Shared by the emulator's tests: a fixture that gives every test a clean emulator, no
// VELTDLL_* variables and its own temporary folder, plus the records callers pass.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "VeltDLL.h"
#include "VeltEmulatorControl.h"

// The request records as a caller lays them out.
struct CalibrationRequest {
  float target[11];
  float gamma;
  float last;
};

struct TableCalibrationRequest {
  float target[11];
  float* table1;
  int count1;
  float* table2;
  int count2;
  float* table3;
  int count3;
  float last;
};

// The target every caller sends: luminance, white point, two unused fields, Adobe RGB primaries.
inline void FillTarget(float* target) {
  const float values[11] = {80.0f, 0.3127f, 0.3298f, 0.0f, 0.0f, 0.64f, 0.33f, 0.21f, 0.71f, 0.15f, 0.06f};
  for (int i = 0; i < 11; ++i) target[i] = values[i];
}

class EmulatorTest : public ::testing::Test {
 protected:
  static constexpr const char* kVariables[] = {
      "VELTDLL_STATE",       "VELTDLL_JOURNAL",    "VELTDLL_COMPATIBLE",       "VELTDLL_MONITOR_TYPE",
      "VELTDLL_LUT_STATUS", "VELTDLL_CALIBRATE_STATUS", "VELTDLL_WRITE_STATUS"};

  void SetUp() override {
    ClearVariables();
    VeltEmu_Reset();
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("veltemu-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directory(folder_);
  }

  void TearDown() override {
    ClearVariables();
    VeltEmu_Reset();
    std::filesystem::remove_all(folder_);
  }

  static void ClearVariables() {
    for (const char* name : kVariables) unsetenv(name);
  }

  static void SetVariable(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  // The value under a state-file key; fails the test if the key does not exist.
  static int Value(const std::string& key) {
    int value = INT_MIN;
    EXPECT_EQ(VeltEmu_GetValue(key.c_str(), &value), 1) << key;
    return value;
  }

  static void SetValue(const std::string& key, int value) {
    EXPECT_EQ(VeltEmu_SetValue(key.c_str(), value), 1) << key;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::filesystem::path folder_;
};
