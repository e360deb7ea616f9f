// The emulated monitor's state: one record per display, the table of its keys and factory
// defaults, and the text state file that can carry it from one process to the next.
#pragma once

#include <array>

namespace VeltEmu {

constexpr int kDisplayCount = 2;
constexpr int kModeCount = 4;  // modes 1..4 carry their own tables, tone and saved brightness
constexpr int kTableSize = 256;
constexpr int kChannelCount = 3;

enum Field : int {
  kBrightness, kContrast, kRed, kGreen, kBlue, kGamma, kSharpness, kColorTemperature,
  kHPosition, kVPosition, kCoarse, kFineAdjustment,
  kMode, kPreviousMode, kPower, kPowerSave, kOsdLocked,
  kCalibrationAlert, kCalibrationTime, kLastCalAlert,
  kTone1, kTone2, kTone3, kTone4,
  kSavedBrightness1, kSavedBrightness2, kSavedBrightness3, kSavedBrightness4,
  kFieldCount
};

// Which reset restores a field.
enum ResetGroup : unsigned {
  kBrightnessContrastGroup = 1u << 0,
  kPictureGroup = 1u << 1,
  kGeometryGroup = 1u << 2,
};

struct FieldInfo {
  const char* key;  // state-file key after "d."
  int factory;
  int min;  // the values the monitor accepts
  int max;
  unsigned resetGroups;
};

extern const FieldInfo kFields[kFieldCount];

// Per-mode fields for mode 1..4.
inline Field ToneField(int mode) { return static_cast<Field>(kTone1 + mode - 1); }
inline Field SavedBrightnessField(int mode) { return static_cast<Field>(kSavedBrightness1 + mode - 1); }

using TableValues = std::array<float, kTableSize>;

struct Table {
  bool loaded = false;
  TableValues values{};
};

struct DisplayState {
  std::array<int, kFieldCount> fields;
  std::array<std::array<Table, kChannelCount>, kModeCount> tables;  // [mode - 1][channel]

  DisplayState();  // factory defaults, no tables loaded
  void Restore(unsigned resetGroups);  // the fields of these groups back to factory
};

using MonitorState = std::array<DisplayState, kDisplayCount>;

// A parsed state-file key: an integer field or a table of one display.
struct Key {
  int display = 0;
  bool isTable = false;
  Field field = kBrightness;
  int mode = 1;
  int channel = 0;
};

bool ParseKey(const char* text, Key* key);

enum class LoadResult { kLoaded, kMissing, kUnreadable };

// kLoaded: *state holds the file over factory defaults. kMissing: no such file, *state untouched.
// kUnreadable: *state untouched.
LoadResult LoadState(const char* path, MonitorState* state);

// Writes a temporary file beside path, then renames it over path. False if anything failed.
bool SaveState(const char* path, const MonitorState& state);

}  // namespace VeltEmu
