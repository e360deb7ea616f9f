// The records that calibrate calls receive and fill, as their callers lay them out.
#pragma once

#include <cstdint>

namespace VeltEmu {

constexpr int kTargetCount = 11;       // luminance, white x/y, two unused, red/green/blue x/y
constexpr int kRequestFieldCount = 3;  // the count every calibrate call must pass
constexpr int kSourceTableSize = 1024;

struct VeltCalibrationRequest {
  float target[kTargetCount];
  float gamma;
  float last;
};

struct VeltTableCalibrationRequest {
  float target[kTargetCount];
  float* table1;
  int count1;
  float* table2;
  int count2;
  float* table3;
  int count3;
  float last;
};

// What a calibration leaves in the caller's result area. The signature names the kind of
// calibration, the serial ties the result to the calibration still waiting to be written.
struct CalibrationResult {
  std::uint32_t signature;
  std::uint32_t serial;
  std::uint32_t display;
  float gamma;  // 0 for a table calibration
  std::uint32_t reserved[9];
};
static_assert(sizeof(CalibrationResult) == 13 * 4, "the result area holds 13 words");

constexpr std::uint32_t kGammaSignature = 0x5643414Cu;  // "VCAL"
constexpr std::uint32_t kTableSignature = 0x564C5554u;  // "VLUT"

}  // namespace VeltEmu
