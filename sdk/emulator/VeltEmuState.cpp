#include "VeltEmuState.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "VeltEmuText.h"

namespace VeltEmu {

namespace {

constexpr unsigned kBritCont = kBrightnessContrastGroup;
constexpr unsigned kPicture = kPictureGroup;
constexpr unsigned kGeometry = kGeometryGroup;

// A table line is about 4.2 KB; anything much longer is not ours and is skipped whole.
constexpr std::size_t kMaxLineLength = 16384;

const char* const kChannelNames[kChannelCount] = {"red", "green", "blue"};

const char kHeader[] = "# VeltDLL emulator state: one \"key = value\" per line\n";

}  // namespace

// Factory defaults, in Field order.
const FieldInfo kFields[kFieldCount] = {
    // key                 factory  min  max       reset by
    {"brightness",            80,   0,  100,      kBritCont},
    {"contrast",              50,   0,  100,      kBritCont},
    {"red",                   32,   0,   64,      kPicture},
    {"green",                 32,   0,   64,      kPicture},
    {"blue",                  32,   0,   64,      kPicture},
    {"gamma",                  3,   0,    6,      kPicture},
    {"sharpness",              6,   0,   12,      kPicture},
    {"colorTemperature",       5,   0,   11,      kPicture},
    {"hPosition",             50,   0,  100,      kGeometry},
    {"vPosition",             35,   0,   70,      kGeometry},
    {"coarse",                80,   0,  160,      kGeometry},
    {"fineAdjustment",        15,   0,   31,      kGeometry},
    {"mode",                   0,   0,    4,      0},
    {"previousMode",           0,   0,    4,      0},
    {"power",                  1,   0,    1,      0},
    {"powerSave",              1,   1,    4,      0},
    {"osdLocked",              0,   0,    1,      0},
    {"calibrationAlert",       0,   0,  500,      0},
    {"calibrationTime",        0,   0,  INT_MAX,  0},
    {"lastCalAlert",           0,   0,  500,      0},
    {"tone.1",                 5,   0,   11,      0},
    {"tone.2",                 5,   0,   11,      0},
    {"tone.3",                 5,   0,   11,      0},
    {"tone.4",                 5,   0,   11,      0},
    {"savedBrightness.1",     80,   0,  255,      0},
    {"savedBrightness.2",     80,   0,  255,      0},
    {"savedBrightness.3",     80,   0,  255,      0},
    {"savedBrightness.4",     80,   0,  255,      0},
};

DisplayState::DisplayState() : tables{} {
  for (int i = 0; i < kFieldCount; ++i) fields[i] = kFields[i].factory;
}

void DisplayState::Restore(unsigned resetGroups) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[i].resetGroups & resetGroups) fields[i] = kFields[i].factory;
  }
}

namespace {

// "lut.M.channel" after the display prefix.
bool ParseTableKey(const char* text, Key* key) {
  if (std::strncmp(text, "lut.", 4) != 0) return false;
  const char mode = text[4];
  if (mode < '1' || mode > '0' + kModeCount || text[5] != '.') return false;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (std::strcmp(text + 6, kChannelNames[channel]) == 0) {
      key->isTable = true;
      key->mode = mode - '0';
      key->channel = channel;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseKey(const char* text, Key* key) {
  if ((text[0] != '0' && text[0] != '1') || text[1] != '.') return false;
  Key parsed;
  parsed.display = text[0] - '0';
  const char* name = text + 2;
  for (int i = 0; i < kFieldCount; ++i) {
    if (std::strcmp(name, kFields[i].key) == 0) {
      parsed.field = static_cast<Field>(i);
      *key = parsed;
      return true;
    }
  }
  if (!ParseTableKey(name, &parsed)) return false;
  *key = parsed;
  return true;
}

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Cuts the blanks around [begin, end) and terminates it; returns its start.
char* Trim(char* begin, char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  *end = '\0';
  return begin;
}

// Applies one "key = value" line; anything else changes nothing. Blank lines have no '=' and
// a comment line never starts with a key, so neither needs a case of its own.
void ApplyLine(std::string& line, MonitorState* state) {
  if (line.find('\0') != std::string::npos) return;
  char* const text = line.data();
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  const char* const keyText = Trim(text, text + equals);
  const char* const valueText = Trim(text + equals + 1, text + line.size());
  Key key;
  if (!ParseKey(keyText, &key)) return;
  DisplayState& display = (*state)[key.display];
  if (key.isTable) {
    TableValues values;
    if (!ParseFloats(valueText, values.data(), kTableSize)) return;
    Table& table = display.tables[key.mode - 1][key.channel];
    table.values = values;
    table.loaded = true;
  } else {
    ParseInt(valueText, &display.fields[key.field]);  // leaves the field alone on failure
  }
}

// Reads one line without its end into line; false at end of file. A line longer than
// kMaxLineLength is consumed whole and comes back flagged.
bool ReadLine(std::FILE* file, std::string& line, bool* tooLong) {
  line.clear();
  *tooLong = false;
  int c = std::getc(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (line.size() < kMaxLineLength) {
      line.push_back(static_cast<char>(c));
    } else {
      *tooLong = true;
    }
  }
  return true;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

LoadResult LoadState(const char* path, MonitorState* state) {
  errno = 0;
  const File file(std::fopen(path, "r"));
  if (!file) return errno == ENOENT ? LoadResult::kMissing : LoadResult::kUnreadable;
  auto loaded = std::make_unique<MonitorState>();
  std::string line;
  line.reserve(kMaxLineLength);
  bool tooLong = false;
  while (ReadLine(file.get(), line, &tooLong)) {
    if (!tooLong) ApplyLine(line, loaded.get());
  }
  if (std::ferror(file.get())) return LoadResult::kUnreadable;
  *state = *loaded;
  return LoadResult::kLoaded;
}

namespace {

std::string FormatState(const MonitorState& state) {
  std::string text = kHeader;
  for (int d = 0; d < kDisplayCount; ++d) {
    const DisplayState& display = state[d];
    for (int i = 0; i < kFieldCount; ++i) {
      AppendInt(text, d);
      text += '.';
      text += kFields[i].key;
      text += " = ";
      AppendInt(text, display.fields[i]);
      text += '\n';
    }
    for (int mode = 1; mode <= kModeCount; ++mode) {
      for (int channel = 0; channel < kChannelCount; ++channel) {
        const Table& table = display.tables[mode - 1][channel];
        if (!table.loaded) continue;
        AppendInt(text, d);
        text += ".lut.";
        AppendInt(text, mode);
        text += '.';
        text += kChannelNames[channel];
        text += " = ";
        AppendFloats(text, table.values.data(), kTableSize);
        text += '\n';
      }
    }
  }
  return text;
}

}  // namespace

bool SaveState(const char* path, const MonitorState& state) {
  const std::string text = FormatState(state);
  const std::string temporary = std::string(path) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (!file) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  written = (std::fclose(file) == 0) && written;
  if (written && std::rename(temporary.c_str(), path) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace VeltEmu
