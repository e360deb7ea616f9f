// The emulated monitor behind every function of VeltDLL.h. Each SDK function is a thin wrapper:
// it checks its arguments, reads or changes the selected display through a Session and writes
// its journal line.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "VeltDLL.h"
#include "VeltEmuJournal.h"
#include "VeltEmuRequests.h"
#include "VeltEmuState.h"
#include "VeltEmuText.h"
#include "VeltEmulatorControl.h"

namespace VeltEmu {
namespace {

constexpr int kCalibrationMode = 4;
constexpr int kStatusSuccess = 1;
constexpr int kStatusMissingArgument = 2;  // a null pointer
constexpr int kStatusOutOfRange = 3;       // a count or mode the call does not take
constexpr int kStatusBadValue = 4;         // a value that is not finite, or a gamma not above 0

constexpr int kAlertPeriods[] = {0, 100, 300, 500};

// A calibration shown in the calibration mode and waiting for WriteCorrectInfoToDisplay*.
struct PendingCalibration {
  bool valid = false;
  std::uint32_t signature = 0;
  std::uint32_t serial = 0;
  int display = 0;
  std::array<TableValues, kChannelCount> tables{};
};

// What the process keeps: the monitor (the state file's copy when one is configured), the
// selected display, which never goes to the state file, and the calibration in progress.
struct Process {
  MonitorState monitor;
  int display = 0;
  PendingCalibration pending;
  std::uint32_t lastSerial = 0;
  std::string unsavedPath;  // a state file whose last save failed: memory is newer than it
};

Process& TheProcess() {
  static Process process;
  return process;
}

const char* StatePath() { return std::getenv("VELTDLL_STATE"); }

void Save(const char* path) {
  Process& process = TheProcess();
  if (SaveState(path, process.monitor)) {
    process.unsavedPath.clear();
    return;
  }
  process.unsavedPath = path;
  std::fprintf(stderr, "VeltDLL: cannot write state file %s, keeping the state in memory\n", path);
}

// The monitor as one call sees it: loaded from the state file when one is configured, and saved
// back at the end if the call changed it. A file that cannot be read or written leaves the call
// working on the state in memory, with one line on stderr.
class Session {
 public:
  Session() : path_(StatePath()) {
    if (!path_ || TheProcess().unsavedPath == path_) return;  // memory is newer than that file
    switch (LoadState(path_, &TheProcess().monitor)) {
      case LoadResult::kLoaded:
        break;
      case LoadResult::kMissing:
        TheProcess().monitor = MonitorState{};
        break;
      case LoadResult::kUnreadable:
        // Never write over a file we could not read.
        std::fprintf(stderr, "VeltDLL: cannot read state file %s, keeping the state in memory\n", path_);
        path_ = nullptr;
        break;
    }
  }
  ~Session() {
    if (path_ && changed_) Save(path_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  DisplayState& Display(int display) { return TheProcess().monitor[display]; }
  DisplayState& Selected() { return Display(TheProcess().display); }
  void Changed() { changed_ = true; }

 private:
  const char* path_;
  bool changed_ = false;
};

// The answer an environment variable imposes, or own when it is unset or not an int.
int Overridden(const char* variable, int own) {
  const char* text = std::getenv(variable);
  int value = 0;
  return (text && ParseInt(text, &value)) ? value : own;
}

bool InRange(Field field, int value) {
  return value >= kFields[field].min && value <= kFields[field].max;
}

bool IsMode(int mode) { return mode >= 1 && mode <= kModeCount; }

// Stores value in a field of the selected display if the monitor accepts it; answers 1 or 0.
int SetField(Field field, int value) {
  if (!InRange(field, value)) return 0;
  Session session;
  session.Selected().fields[field] = value;
  session.Changed();
  return 1;
}

int GetField(Field field) {
  Session session;
  return session.Selected().fields[field];
}

// What an 8-bit getter answers.
int GetLow8(Field field) { return GetField(field) & 0xFF; }

int RestoreGroups(unsigned groups) {
  Session session;
  session.Selected().Restore(groups);
  session.Changed();
  return 1;
}

// Switches the selected display's mode; the previous mode is kept only when it really changes,
// so switching twice to the same mode still goes back to the one before.
void SwitchMode(Session& session, int mode) {
  auto& fields = session.Selected().fields;
  if (fields[kMode] == mode) return;
  fields[kPreviousMode] = fields[kMode];
  fields[kMode] = mode;
  session.Changed();
}

int ChangeModeTo(int mode) {
  if (!InRange(kMode, mode)) return 0;
  Session session;
  SwitchMode(session, mode);
  return 1;
}

bool AllFinite(const float* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) return false;
  }
  return true;
}

int CheckLut(const float* const tables[kChannelCount], int mode) {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (!tables[channel]) return kStatusMissingArgument;
  }
  if (!IsMode(mode)) return kStatusOutOfRange;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (!AllFinite(tables[channel], kTableSize)) return kStatusBadValue;
  }
  return kStatusSuccess;
}

void StoreLut(const float* const tables[kChannelCount], int mode) {
  Session session;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    Table& table = session.Selected().tables[mode - 1][channel];
    std::memcpy(table.values.data(), tables[channel], sizeof(float) * kTableSize);
    table.loaded = true;
  }
  session.Changed();
}

int CheckGammaRequest(const VeltCalibrationRequest* request, int count, const void* result) {
  if (!request || !result) return kStatusMissingArgument;
  if (count != kRequestFieldCount) return kStatusOutOfRange;
  if (!std::isfinite(request->gamma) || request->gamma <= 0.0f) return kStatusBadValue;
  return kStatusSuccess;
}

int CheckTableRequest(const VeltTableCalibrationRequest* request, int count, const void* result) {
  if (!request || !result) return kStatusMissingArgument;
  const float* const tables[] = {request->table1, request->table2, request->table3};
  const int counts[] = {request->count1, request->count2, request->count3};
  for (const float* table : tables) {
    if (!table) return kStatusMissingArgument;
  }
  if (count != kRequestFieldCount) return kStatusOutOfRange;
  for (const int tableCount : counts) {
    if (tableCount != kSourceTableSize) return kStatusOutOfRange;
  }
  for (const float* table : tables) {
    if (!AllFinite(table, kSourceTableSize)) return kStatusBadValue;
  }
  return kStatusSuccess;
}

// Shows the calibration in the calibration mode, keeps it until it is written or dropped, and
// fills the caller's result area.
void StartCalibration(std::uint32_t signature, float gamma,
                      const std::array<TableValues, kChannelCount>& tables, void* result) {
  Process& process = TheProcess();
  {
    Session session;
    SwitchMode(session, kCalibrationMode);
  }
  process.pending = {true, signature, ++process.lastSerial, process.display, tables};
  CalibrationResult filled{};
  filled.signature = signature;
  filled.serial = process.pending.serial;
  filled.display = static_cast<std::uint32_t>(process.display);
  filled.gamma = gamma;
  std::memcpy(result, &filled, sizeof filled);
}

std::array<TableValues, kChannelCount> PowerCurves(float gamma) {
  std::array<TableValues, kChannelCount> tables{};
  for (TableValues& table : tables) {
    for (int i = 0; i < kTableSize; ++i) {
      table[i] = static_cast<float>(std::pow(i / 255.0, static_cast<double>(gamma)));
    }
  }
  return tables;
}

// Every 4th value of the 1024-entry tables.
std::array<TableValues, kChannelCount> SampledTables(const VeltTableCalibrationRequest& request) {
  const float* const sources[] = {request.table1, request.table2, request.table3};
  constexpr int kStep = kSourceTableSize / kTableSize;
  std::array<TableValues, kChannelCount> tables{};
  for (int channel = 0; channel < kChannelCount; ++channel) {
    for (int i = 0; i < kTableSize; ++i) tables[channel][i] = sources[channel][i * kStep];
  }
  return tables;
}

bool IsPendingResult(std::uint32_t signature, const void* result) {
  if (!result) return false;
  CalibrationResult given;
  std::memcpy(&given, result, sizeof given);
  const PendingCalibration& pending = TheProcess().pending;
  return pending.valid && given.signature == signature && pending.signature == signature &&
         given.serial == pending.serial;
}

// Makes the pending calibration the calibration mode's tables of its display.
void WritePending() {
  const PendingCalibration& pending = TheProcess().pending;
  Session session;
  DisplayState& display = session.Display(pending.display);
  for (int channel = 0; channel < kChannelCount; ++channel) {
    display.tables[kCalibrationMode - 1][channel] = Table{true, pending.tables[channel]};
  }
  display.fields[kCalibrationTime] = 0;
  session.Changed();
}

int WriteCalibration(std::uint32_t signature, void* result) {
  const int own = IsPendingResult(signature, result) ? 1 : 0;
  const int answer = Overridden("VELTDLL_WRITE_STATUS", own);
  if (own == 1 && answer == 1) WritePending();
  return answer;
}

}  // namespace
}  // namespace VeltEmu

using namespace VeltEmu;

extern "C" {

unsigned char CheckCompatibleSystem(void) {
  return JournalInts(Overridden("VELTDLL_COMPATIBLE", 1) == 0 ? 0 : 1, "CheckCompatibleSystem");
}

int GetMonitorType(void) {
  return JournalInts(Overridden("VELTDLL_MONITOR_TYPE", 1), "GetMonitorType");
}

int SwitchDisplay(int display) {
  const bool valid = display >= 0 && display < kDisplayCount;
  if (valid) TheProcess().display = display;
  return JournalInts(valid ? 1 : 0, "SwitchDisplay", {display});
}

int ReadMode(void) { return JournalInts(GetField(kMode), "ReadMode"); }

int ChangeMode(int mode) { return JournalInts(ChangeModeTo(mode), "ChangeMode", {mode}); }

int SDKDisplayCorrection(int mode) {
  return JournalInts(IsMode(mode) ? ChangeModeTo(mode) : 0, "SDKDisplayCorrection", {mode});
}

#define VELTEMU_SETTING(setter, getter, field)                                          \
  unsigned char setter(int value) {                                                     \
    return static_cast<unsigned char>(JournalInts(SetField(field, value), #setter, {value})); \
  }                                                                                     \
  unsigned char getter(void) {                                                          \
    return static_cast<unsigned char>(JournalInts(GetLow8(field), #getter));            \
  }

VELTEMU_SETTING(SetBrightness, GetBrightness, kBrightness)
VELTEMU_SETTING(SetContrast, GetContrast, kContrast)
VELTEMU_SETTING(SetRedColor, GetRedColor, kRed)
VELTEMU_SETTING(SetGreenColor, GetGreenColor, kGreen)
VELTEMU_SETTING(SetBlueColor, GetBlueColor, kBlue)
VELTEMU_SETTING(SetGamma, GetGamma, kGamma)
VELTEMU_SETTING(SetSharpness, GetSharpness, kSharpness)
VELTEMU_SETTING(SetColorTemperature, GetColorTemperature, kColorTemperature)
VELTEMU_SETTING(Set_Hposition, Get_Hposition, kHPosition)
VELTEMU_SETTING(Set_Vposition, Get_Vposition, kVPosition)
VELTEMU_SETTING(Set_Coarse, Get_Coarse, kCoarse)
VELTEMU_SETTING(Set_FineAdjustment, Get_FineAdjustment, kFineAdjustment)

#undef VELTEMU_SETTING

unsigned char ResetALL(void) {
  return JournalInts(RestoreGroups(kBrightnessContrastGroup | kPictureGroup | kGeometryGroup), "ResetALL");
}

unsigned char Reset_Brit_Cont(void) {
  return JournalInts(RestoreGroups(kBrightnessContrastGroup), "Reset_Brit_Cont");
}

unsigned char Reset_Factory(void) {
  Session session;
  session.Selected() = DisplayState{};
  session.Changed();
  return JournalInts(1, "Reset_Factory");
}

unsigned char ResetGeometry(void) { return JournalInts(RestoreGroups(kGeometryGroup), "ResetGeometry"); }

unsigned char AutoSetup(void) { return JournalInts(RestoreGroups(kGeometryGroup), "AutoSetup"); }

unsigned char Power_SaveMode(int mode) {
  const bool known = mode == 1 || mode == 4;  // on, power save
  return JournalInts(known ? SetField(kPowerSave, mode) : 0, "Power_SaveMode", {mode});
}

unsigned char MonitorPower(int on) { return JournalInts(SetField(kPower, on), "MonitorPower", {on}); }

int Lock_OSD(void) { return JournalInts(SetField(kOsdLocked, 1), "Lock_OSD"); }

int Unlock_OSD(void) { return JournalInts(SetField(kOsdLocked, 0), "Unlock_OSD"); }

int NotWriteAndBackPrevMode(void) {
  TheProcess().pending.valid = false;
  Session session;
  SwitchMode(session, session.Selected().fields[kPreviousMode]);
  return JournalInts(1, "NotWriteAndBackPrevMode");
}

int Set_ColorTone(int temperature, int mode) {
  const int answer = IsMode(mode) ? SetField(ToneField(mode), temperature) : 0;
  return JournalInts(answer, "Set_ColorTone", {temperature, mode});
}

int Set_Calibration_Alert(int hours) {
  const bool known = std::find(std::begin(kAlertPeriods), std::end(kAlertPeriods), hours) !=
                     std::end(kAlertPeriods);
  if (known) {
    Session session;
    session.Selected().fields[kCalibrationAlert] = hours;
    session.Selected().fields[kLastCalAlert] = hours;
    session.Changed();
  }
  return JournalInts(known ? 1 : 0, "Set_Calibration_Alert", {hours});
}

int Get_Calibration_Time(void) { return JournalInts(GetField(kCalibrationTime), "Get_Calibration_Time"); }

int Get_LastCalAlert(void) { return JournalInts(GetField(kLastCalAlert), "Get_LastCalAlert"); }

int SaveBrighntessForMode(int brightness, int mode) {
  const int answer = IsMode(mode) ? SetField(SavedBrightnessField(mode), brightness) : 0;
  return JournalInts(answer, "SaveBrighntessForMode", {brightness, mode});
}

int Set_RGB_LUT(float* red, float* green, float* blue, int mode) {
  const float* const tables[kChannelCount] = {red, green, blue};
  const int own = CheckLut(tables, mode);
  const int answer = Overridden("VELTDLL_LUT_STATUS", own);
  if (own == kStatusSuccess && answer == kStatusSuccess) StoreLut(tables, mode);
  return Journal(answer, [&] { return LutCallText(red, green, blue, mode); });
}

int DisplayCalibrate(void* request, int count, void* result) {
  const auto* calibration = static_cast<const VeltCalibrationRequest*>(request);
  const int own = CheckGammaRequest(calibration, count, result);
  const int answer = Overridden("VELTDLL_CALIBRATE_STATUS", own);
  if (own == kStatusSuccess && answer == kStatusSuccess) {
    StartCalibration(kGammaSignature, calibration->gamma, PowerCurves(calibration->gamma), result);
  }
  return Journal(answer, [&] { return CalibrateCallText(calibration, count); });
}

int DisplayCalibrate_LookUpTable(void* request, int count, void* result) {
  const auto* calibration = static_cast<const VeltTableCalibrationRequest*>(request);
  const int own = CheckTableRequest(calibration, count, result);
  const int answer = Overridden("VELTDLL_CALIBRATE_STATUS", own);
  if (own == kStatusSuccess && answer == kStatusSuccess) {
    StartCalibration(kTableSignature, 0.0f, SampledTables(*calibration), result);
  }
  return Journal(answer, [&] { return TableCalibrateCallText(calibration, count); });
}

int WriteCorrectInfoToDisplay(void* result) {
  return Journal(WriteCalibration(kGammaSignature, result),
                 [&] { return ResultCallText("WriteCorrectInfoToDisplay", result); });
}

int WriteCorrectInfoToDisplay_LookUpTable(void* result) {
  return Journal(WriteCalibration(kTableSignature, result),
                 [&] { return ResultCallText("WriteCorrectInfoToDisplay_LookUpTable", result); });
}

void VeltEmu_Reset(void) {
  TheProcess() = Process{};
  if (const char* path = StatePath()) Save(path);
}

int VeltEmu_SetValue(const char* key, int value) {
  Key parsed;
  if (!key || !ParseKey(key, &parsed) || parsed.isTable) return 0;
  Session session;
  session.Display(parsed.display).fields[parsed.field] = value;
  session.Changed();
  return 1;
}

int VeltEmu_GetValue(const char* key, int* value) {
  Key parsed;
  if (!key || !value || !ParseKey(key, &parsed) || parsed.isTable) return 0;
  Session session;
  *value = session.Display(parsed.display).fields[parsed.field];
  return 1;
}

int VeltEmu_GetTable(const char* key, float* values) {
  Key parsed;
  if (!key || !values || !ParseKey(key, &parsed) || !parsed.isTable) return 0;
  Session session;
  const Table& table = session.Display(parsed.display).tables[parsed.mode - 1][parsed.channel];
  if (!table.loaded) return 0;
  std::memcpy(values, table.values.data(), sizeof(float) * kTableSize);
  return 1;
}

}  // extern "C"
