// VeltDLL for real monitors: every function of VeltDLL.h mapped onto MCCS VCP features over DDC/CI,
// and the calibration tables loaded into the X server's gamma ramps. Every SDK call runs under one
// lock, so the bus and the X server see one caller at a time.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

#include "VeltDLL.h"
#include "VeltDdcControl.h"
#include "VeltDdcLibddcutil.h"
#include "VeltGammaRamp.h"

namespace {

constexpr int kModeCustom = 0;
constexpr int kModeSrgb = 1;
constexpr int kModeCalibration = 4;
constexpr int kUnknownMode = -1;

// Set_RGB_LUT and the calibrate calls answer 1 or one of these.
constexpr int kStatusSuccess = 1;
constexpr int kStatusMissingTable = 2;
constexpr int kStatusBadMode = 3;
constexpr int kStatusBadValue = 4;
constexpr int kStatusNoXServer = 5;
constexpr int kStatusNoCrtc = 6;
constexpr int kStatusRampRefused = 7;
constexpr int kStatusNotAvailable = 8;

struct Feature {
  int code;
  const char* name;
};

constexpr Feature kFactoryReset{0x04, "restore factory defaults"};
constexpr Feature kResetBrightnessContrast{0x05, "restore brightness and contrast"};
constexpr Feature kResetGeometry{0x06, "restore geometry"};
constexpr Feature kAutoSetup{0x1E, "auto setup"};
constexpr Feature kColorPreset{0x14, "colour preset"};
constexpr Feature kOsd{0xCA, "OSD"};
constexpr Feature kPowerMode{0xD6, "power mode"};

constexpr int kResetValue = 1;
constexpr int kOsdDisabled = 1;
constexpr int kOsdEnabled = 2;
constexpr int kPowerOn = 1;
constexpr int kPowerStandby = 2;  // never 4 or 5: many monitors stop answering after those

// An SDK setting kept in a continuous feature: the SDK's 0..sdkMaximum spread over the monitor's
// own 0..maximum.
struct Continuous {
  Feature feature;
  int sdkMaximum;
};

constexpr Continuous kBrightness{{0x10, "brightness"}, 100};
constexpr Continuous kContrast{{0x12, "contrast"}, 100};
constexpr Continuous kRedGain{{0x16, "red gain"}, 64};
constexpr Continuous kGreenGain{{0x18, "green gain"}, 64};
constexpr Continuous kBlueGain{{0x1A, "blue gain"}, 64};
constexpr Continuous kSharpness{{0x87, "sharpness"}, 12};
constexpr Continuous kHPosition{{0x20, "horizontal position"}, 100};
constexpr Continuous kVPosition{{0x30, "vertical position"}, 70};
constexpr Continuous kClock{{0x0E, "clock"}, 160};
constexpr Continuous kClockPhase{{0x3E, "clock phase"}, 31};

// The SDK's colour temperatures by index, and the monitor's colour presets.
constexpr int kToneKelvin[] = {4000, 4500, 5000, 5500, 6000, 6500, 7000, 7500, 8000, 8500, 9000, 9300};

struct Preset {
  int code;
  int kelvin;
};

constexpr Preset kPresets[] = {
    {0x01, 6500},  // sRGB: a D65 white
    {0x03, 4000}, {0x04, 5000}, {0x05, 6500}, {0x06, 7500},
    {0x07, 8200}, {0x08, 9300}, {0x09, 10000}, {0x0A, 11500},
};
constexpr int kPresetSrgb = 0x01;
constexpr int kPresetUser = 0x0B;  // "user 1": the gains the SDK sets are its own

// Monitor families by the EDID's maker id and model name; everything else is type 3.
struct Family {
  const char* maker;
  const char* modelPrefix;
  int type;
};

constexpr Family kFamilies[] = {{"VLT", "Alder", 0}, {"VLT", "Birch", 1}, {"VLT", "Cedar", 2}};
constexpr int kTypeNotSupported = 3;

// A display found on the bus and what the library learns about it for the process.
struct KnownDisplay {
  VeltDdcDisplay display;
  int busIndex = 0;         // where the bus has it; the SDK's numbering puts the primary first
  int mode = kUnknownMode;  // the SDK's mode number, valid while the monitor shows modePreset
  int modePreset = -1;
  int previousMode = kUnknownMode;
  std::map<int, int> maxima;  // feature code -> the monitor's maximum
};

struct Process {
  std::unique_ptr<VeltDdcBus> bus;
  bool scanned = false;
  std::vector<KnownDisplay> displays;  // in the SDK's order
  int selected = 0;
};

std::mutex& TheLock() {
  static std::mutex lock;
  return lock;
}

Process& TheProcess() {
  static Process process;
  return process;
}

void Report(const std::string& line) { std::fprintf(stderr, "VeltDLL: %s\n", line.c_str()); }

std::string Hex(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", code & 0xFF);
  return text;
}

std::string Describe(const Feature& feature) {
  return "VCP feature " + Hex(feature.code) + " (" + feature.name + ")";
}

// The displays in the order the SDK numbers them: the X server's primary first, then the bus's order.
std::vector<KnownDisplay> InSdkOrder(const std::vector<VeltDdcDisplay>& found) {
  std::vector<KnownDisplay> displays;
  for (size_t index = 0; index < found.size(); ++index) {
    KnownDisplay known;
    known.display = found[index];
    known.busIndex = static_cast<int>(index);
    displays.push_back(std::move(known));
  }
  const std::vector<unsigned char> primary = VeltPrimaryOutputEdid();
  if (!primary.empty()) {
    std::stable_partition(displays.begin(), displays.end(),
                          [&](const KnownDisplay& known) { return known.display.edid == primary; });
  }
  return displays;
}

// The process with its displays found; the first call scans.
Process& Scanned() {
  Process& process = TheProcess();
  if (!process.bus) process.bus = VeltMakeLibddcutilBus();
  if (!process.scanned) {
    std::string problem;
    const std::vector<VeltDdcDisplay> found = process.bus->Scan(&problem);
    if (found.empty()) Report(problem);
    process.displays = InSdkOrder(found);
    process.scanned = true;
  }
  return process;
}

// The display the SDK's calls address.
class Target {
 public:
  Target(Process& process, int index) : process_(process), index_(index) {}

  bool Exists() const { return index_ >= 0 && index_ < static_cast<int>(process_.displays.size()); }
  const VeltDdcDisplay& Display() const { return process_.displays[index_].display; }
  KnownDisplay& Known() { return process_.displays[index_]; }

  bool Read(const Feature& feature, VeltDdcValue* value) {
    return Check(process_.bus->Read(Known().busIndex, feature.code, value), "reading", feature);
  }
  bool Write(const Feature& feature, int value) {
    return Check(process_.bus->Write(Known().busIndex, feature.code, value), "writing", feature);
  }

  std::string Name() const {
    const VeltDdcDisplay& display = Display();
    return "display " + std::to_string(index_) + " (" + display.maker + " " + display.model + ", " +
           display.where + ")";
  }

 private:
  bool Check(const VeltDdcOutcome& outcome, const char* doing, const Feature& feature) {
    const std::string what = Describe(feature);
    switch (outcome.fault) {
      case VeltDdcFault::kNone:
        return true;
      case VeltDdcFault::kUnsupported:
        Report(Name() + " does not support " + what);
        break;
      case VeltDdcFault::kNoAnswer:
        Report(Name() + " stopped answering DDC/CI while " + doing + " " + what + " (" + outcome.detail +
               "): check the cable, that DDC/CI is on in the monitor's menu and that the monitor is awake");
        break;
      case VeltDdcFault::kNoPermission:
        Report("no permission to open the I2C device of " + Name() + " (" + outcome.detail + "): " + kVeltI2cAccessFix);
        break;
      case VeltDdcFault::kFailed:
        Report(Name() + ": " + doing + " " + what + " failed (" + outcome.detail + ")");
        break;
    }
    return false;
  }

  Process& process_;
  int index_;
};

// With no display at all, the scan has already said why.
void ReportNoSuchDisplay(const Process& process) {
  if (process.displays.empty()) return;
  Report("there is no display " + std::to_string(process.selected) + ": " + std::to_string(process.displays.size()) +
         " monitor(s) answer DDC/CI");
}

// Runs call on the selected display under the lock; answers failed when there is no such display.
template <typename Result, typename Call>
Result OnSelected(Result failed, Call call) {
  std::lock_guard<std::mutex> guard(TheLock());
  Process& process = Scanned();
  Target target(process, process.selected);
  if (!target.Exists()) {
    ReportNoSuchDisplay(process);
    return failed;
  }
  return call(target);
}

int Scale(int value, int from, int to) {
  return static_cast<int>((static_cast<long long>(value) * to + from / 2) / from);
}

// Keeps the monitor's maximum for a feature; false, with a line, when the monitor reports none.
bool Remember(Target& target, const Feature& feature, int maximum) {
  if (maximum <= 0) {
    Report(target.Name() + " reports no range for " + Describe(feature));
    return false;
  }
  target.Known().maxima[feature.code] = maximum;
  return true;
}

// The monitor's maximum for a feature, read once per display.
bool Maximum(Target& target, const Feature& feature, int* maximum) {
  const auto known = target.Known().maxima.find(feature.code);
  if (known != target.Known().maxima.end()) {
    *maximum = known->second;
    return true;
  }
  VeltDdcValue value;
  if (!target.Read(feature, &value) || !Remember(target, feature, value.maximum)) return false;
  *maximum = value.maximum;
  return true;
}

unsigned char SetContinuous(const Continuous& setting, int value) {
  if (value < 0 || value > setting.sdkMaximum) return 0;
  return OnSelected<unsigned char>(0, [&](Target& target) -> unsigned char {
    int maximum = 0;
    return Maximum(target, setting.feature, &maximum) &&
           target.Write(setting.feature, Scale(value, setting.sdkMaximum, maximum));
  });
}

unsigned char GetContinuous(const Continuous& setting) {
  return OnSelected<unsigned char>(0, [&](Target& target) -> unsigned char {
    VeltDdcValue value;
    if (!target.Read(setting.feature, &value) || !Remember(target, setting.feature, value.maximum)) return 0;
    return static_cast<unsigned char>(
        std::min(setting.sdkMaximum, Scale(value.current, value.maximum, setting.sdkMaximum)));
  });
}

unsigned char WriteValue(const Feature& feature, int value) {
  return OnSelected<unsigned char>(0, [&](Target& target) -> unsigned char { return target.Write(feature, value); });
}

bool IsToneIndex(int index) { return index >= 0 && index < static_cast<int>(std::size(kToneKelvin)); }

// The preset nearest a temperature; of two equally near, the warmer.
int NearestPreset(int kelvin) {
  const Preset* best = nullptr;
  for (const Preset& preset : kPresets) {
    if (preset.code == kPresetSrgb) continue;
    if (!best || std::abs(preset.kelvin - kelvin) < std::abs(best->kelvin - kelvin)) best = &preset;
  }
  return best->code;
}

// The SDK's temperature index nearest a preset, or -1 for a preset without a temperature.
int ToneOfPreset(int code) {
  const auto preset = std::find_if(std::begin(kPresets), std::end(kPresets),
                                   [&](const Preset& known) { return known.code == code; });
  if (preset == std::end(kPresets)) return -1;
  int best = 0;
  for (int index = 1; index < static_cast<int>(std::size(kToneKelvin)); ++index) {
    if (std::abs(kToneKelvin[index] - preset->kelvin) < std::abs(kToneKelvin[best] - preset->kelvin)) best = index;
  }
  return best;
}

bool IsMode(int mode) { return mode >= kModeCustom && mode <= kModeCalibration; }

// The modes the SDK keeps colour tones and tables for.
bool IsToneMode(int mode) { return mode >= 1 && mode <= kModeCalibration; }

// The preset a mode shows: sRGB for sRGB, the user preset for Custom and Calibration, and none for
// the modes a DDC/CI monitor has no preset for.
int PresetOfMode(int mode) {
  if (mode == kModeSrgb) return kPresetSrgb;
  if (mode == kModeCustom || mode == kModeCalibration) return kPresetUser;
  return -1;
}

// The colour preset the monitor shows. Presets are one-byte values.
bool ReadPreset(Target& target, int* preset) {
  VeltDdcValue value;
  if (!target.Read(kColorPreset, &value)) return false;
  *preset = value.current & 0xFF;
  return true;
}

// The display's mode: the one last chosen while the monitor still shows the preset it had then;
// otherwise, as the monitor's buttons or a colour temperature may have changed it, sRGB for the sRGB
// preset and Custom for any other.
bool ModeOf(Target& target, int* mode, int* preset) {
  if (!ReadPreset(target, preset)) return false;
  KnownDisplay& known = target.Known();
  if (known.mode == kUnknownMode || known.modePreset != *preset) {
    known.mode = *preset == kPresetSrgb ? kModeSrgb : kModeCustom;
    known.modePreset = *preset;
  }
  *mode = known.mode;
  return true;
}

// Switching to the mode a display is in writes nothing.
bool SwitchMode(Target& target, int mode) {
  int current = 0;
  int shown = 0;
  if (!ModeOf(target, &current, &shown)) return false;
  if (mode == current) return true;
  const int preset = PresetOfMode(mode);
  if (preset >= 0 && !target.Write(kColorPreset, preset)) return false;
  KnownDisplay& known = target.Known();
  known.previousMode = current;
  known.mode = mode;
  known.modePreset = preset >= 0 ? preset : shown;
  return true;
}

// On, standby, or a request the SDK does not know (answered 0).
unsigned char PowerTo(bool on, bool standby) {
  if (!on && !standby) return 0;
  return WriteValue(kPowerMode, on ? kPowerOn : kPowerStandby);
}

bool AllFinite(const float* table) {
  return std::all_of(table, table + kVeltTableSize, [](float value) { return std::isfinite(value); });
}

int StatusOfRamp(VeltRampResult result) {
  switch (result) {
    case VeltRampResult::kLoaded:
      return kStatusSuccess;
    case VeltRampResult::kNoServer:
      return kStatusNoXServer;
    case VeltRampResult::kNoCrtc:
      return kStatusNoCrtc;
    case VeltRampResult::kRefused:
      return kStatusRampRefused;
  }
  return kStatusRampRefused;
}

int NotAvailable(const char* call) {
  Report(std::string(call) + " is not available over DDC/CI: the monitor's own calibration cannot be reached");
  return kStatusNotAvailable;
}

}  // namespace

void VeltDdcUseBus(std::unique_ptr<VeltDdcBus> bus) {
  std::lock_guard<std::mutex> guard(TheLock());
  TheProcess() = Process{};
  TheProcess().bus = std::move(bus);
}

extern "C" {

unsigned char CheckCompatibleSystem(void) {
  std::lock_guard<std::mutex> guard(TheLock());
  return Scanned().displays.empty() ? 0 : 1;
}

int GetMonitorType(void) {
  return OnSelected(kTypeNotSupported, [](Target& target) {
    const VeltDdcDisplay& display = target.Display();
    for (const Family& family : kFamilies) {
      if (display.maker == family.maker && display.model.rfind(family.modelPrefix, 0) == 0) return family.type;
    }
    return kTypeNotSupported;
  });
}

int SwitchDisplay(int display) {
  if (display != 0 && display != 1) return 0;
  std::lock_guard<std::mutex> guard(TheLock());
  Process& process = Scanned();
  process.selected = display;
  if (Target(process, display).Exists()) return 1;
  ReportNoSuchDisplay(process);
  return 0;
}

int ReadMode(void) {
  return OnSelected(kModeCustom, [](Target& target) {
    int mode = kModeCustom;
    int preset = 0;
    return ModeOf(target, &mode, &preset) ? mode : kModeCustom;
  });
}

int ChangeMode(int mode) {
  if (!IsMode(mode)) return 0;
  return OnSelected(0, [&](Target& target) { return SwitchMode(target, mode) ? 1 : 0; });
}

int NotWriteAndBackPrevMode(void) {
  return OnSelected(0, [](Target& target) {
    const int previous = target.Known().previousMode;
    return previous != kUnknownMode && SwitchMode(target, previous) ? 1 : 0;
  });
}

int SDKDisplayCorrection(int) { return 0; }

unsigned char SetBrightness(int value) { return SetContinuous(kBrightness, value); }
unsigned char SetContrast(int value) { return SetContinuous(kContrast, value); }
unsigned char SetRedColor(int value) { return SetContinuous(kRedGain, value); }
unsigned char SetGreenColor(int value) { return SetContinuous(kGreenGain, value); }
unsigned char SetBlueColor(int value) { return SetContinuous(kBlueGain, value); }
unsigned char SetGamma(int) { return 0; }
unsigned char SetSharpness(int value) { return SetContinuous(kSharpness, value); }
unsigned char Set_Hposition(int value) { return SetContinuous(kHPosition, value); }
unsigned char Set_Vposition(int value) { return SetContinuous(kVPosition, value); }
unsigned char Set_Coarse(int value) { return SetContinuous(kClock, value); }
unsigned char Set_FineAdjustment(int value) { return SetContinuous(kClockPhase, value); }

unsigned char SetColorTemperature(int value) {
  return IsToneIndex(value) ? WriteValue(kColorPreset, NearestPreset(kToneKelvin[value])) : 0;
}

unsigned char GetBrightness(void) { return GetContinuous(kBrightness); }
unsigned char GetContrast(void) { return GetContinuous(kContrast); }
unsigned char GetRedColor(void) { return GetContinuous(kRedGain); }
unsigned char GetGreenColor(void) { return GetContinuous(kGreenGain); }
unsigned char GetBlueColor(void) { return GetContinuous(kBlueGain); }
unsigned char GetGamma(void) { return 0; }
unsigned char GetSharpness(void) { return GetContinuous(kSharpness); }
unsigned char Get_Hposition(void) { return GetContinuous(kHPosition); }
unsigned char Get_Vposition(void) { return GetContinuous(kVPosition); }
unsigned char Get_Coarse(void) { return GetContinuous(kClock); }
unsigned char Get_FineAdjustment(void) { return GetContinuous(kClockPhase); }

unsigned char GetColorTemperature(void) {
  return OnSelected<unsigned char>(0, [](Target& target) -> unsigned char {
    int preset = 0;
    if (!ReadPreset(target, &preset)) return 0;
    const int tone = ToneOfPreset(preset);
    if (tone >= 0) return static_cast<unsigned char>(tone);
    Report(target.Name() + " shows colour preset " + Hex(preset) + ", which has no colour temperature");
    return 0;
  });
}

unsigned char ResetALL(void) { return WriteValue(kFactoryReset, kResetValue); }
unsigned char Reset_Factory(void) { return WriteValue(kFactoryReset, kResetValue); }
unsigned char Reset_Brit_Cont(void) { return WriteValue(kResetBrightnessContrast, kResetValue); }
unsigned char ResetGeometry(void) { return WriteValue(kResetGeometry, kResetValue); }
unsigned char AutoSetup(void) { return WriteValue(kAutoSetup, kResetValue); }

unsigned char Power_SaveMode(int mode) { return PowerTo(mode == 1, mode == 4); }
unsigned char MonitorPower(int on) { return PowerTo(on == 1, on == 0); }

int Lock_OSD(void) { return WriteValue(kOsd, kOsdDisabled); }
int Unlock_OSD(void) { return WriteValue(kOsd, kOsdEnabled); }

int Set_ColorTone(int temperature, int mode) {
  if (!IsToneIndex(temperature) || !IsToneMode(mode)) return 0;
  return WriteValue(kColorPreset, NearestPreset(kToneKelvin[temperature]));
}

int Set_Calibration_Alert(int) { return 0; }
int Get_Calibration_Time(void) { return 0; }
int Get_LastCalAlert(void) { return 0; }
int SaveBrighntessForMode(int, int) { return 0; }

int Set_RGB_LUT(float* red, float* green, float* blue, int mode) {
  const float* const tables[] = {red, green, blue};
  if (!red || !green || !blue) return kStatusMissingTable;
  if (!IsToneMode(mode)) return kStatusBadMode;
  if (!std::all_of(std::begin(tables), std::end(tables), AllFinite)) return kStatusBadValue;
  std::lock_guard<std::mutex> guard(TheLock());
  Process& process = Scanned();
  Target target(process, process.selected);
  // Without DDC/CI the X server may still tell the display by being the only one it drives.
  const std::vector<unsigned char> edid = target.Exists() ? target.Display().edid : std::vector<unsigned char>{};
  std::string problem;
  const VeltRampResult result = VeltLoadGammaRamp(edid, process.selected, tables, &problem);
  if (result != VeltRampResult::kLoaded) Report(problem);
  return StatusOfRamp(result);
}

int DisplayCalibrate(void*, int, void*) { return NotAvailable("DisplayCalibrate"); }
int DisplayCalibrate_LookUpTable(void*, int, void*) { return NotAvailable("DisplayCalibrate_LookUpTable"); }
int WriteCorrectInfoToDisplay(void*) { return 0; }
int WriteCorrectInfoToDisplay_LookUpTable(void*) { return 0; }

}  // extern "C"
