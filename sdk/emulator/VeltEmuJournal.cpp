#include "VeltEmuJournal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "VeltEmuState.h"
#include "VeltEmuText.h"

namespace VeltEmu {

const char* JournalPath() { return std::getenv("VELTDLL_JOURNAL"); }

void AppendJournalLine(const char* path, const std::string& call, int answer) {
  std::FILE* file = std::fopen(path, "a");
  if (!file) return;
  std::string line = call;
  line += " -> ";
  AppendInt(line, answer);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);  // flushes
}

int JournalInts(int answer, const char* name, std::initializer_list<int> arguments) {
  return Journal(answer, [&] {
    std::string text = name;
    text += '(';
    const char* separator = "";
    for (const int argument : arguments) {
      text += separator;
      AppendInt(text, argument);
      separator = ", ";
    }
    text += ')';
    return text;
  });
}

namespace {

// "[v0 v1 ...]" with count values (none when count is not positive), or "null".
void AppendTable(std::string& out, const float* table, int count) {
  if (!table) {
    out += "null";
    return;
  }
  out += '[';
  AppendFloats(out, table, std::max(count, 0));
  out += ']';
}

}  // namespace

std::string ResultCallText(const char* name, const void* result) {
  return std::string(name) + (result ? "(result)" : "(null)");
}

std::string LutCallText(const float* red, const float* green, const float* blue, int mode) {
  std::string text = "Set_RGB_LUT(";
  for (const float* table : {red, green, blue}) {
    AppendTable(text, table, kTableSize);
    text += ", ";
  }
  AppendInt(text, mode);
  text += ')';
  return text;
}

std::string CalibrateCallText(const VeltCalibrationRequest* request, int count) {
  std::string text = "DisplayCalibrate(";
  if (request) {
    text += '{';
    AppendFloats(text, request->target, kTargetCount);
    text += ' ';
    AppendFloats(text, &request->gamma, 1);
    text += ' ';
    AppendFloats(text, &request->last, 1);
    text += '}';
  } else {
    text += "null";
  }
  text += ", ";
  AppendInt(text, count);
  text += ')';
  return text;
}

std::string TableCalibrateCallText(const VeltTableCalibrationRequest* request, int count) {
  std::string text = "DisplayCalibrate_LookUpTable(";
  if (request) {
    text += '{';
    AppendFloats(text, request->target, kTargetCount);
    const std::pair<const float*, int> tables[] = {
        {request->table1, request->count1},
        {request->table2, request->count2},
        {request->table3, request->count3},
    };
    for (const auto& [table, tableCount] : tables) {
      text += ", ";
      AppendTable(text, table, std::min(tableCount, kSourceTableSize));
      text += ", ";
      AppendInt(text, tableCount);
    }
    text += ", ";
    AppendFloats(text, &request->last, 1);
    text += '}';
  } else {
    text += "null";
  }
  text += ", ";
  AppendInt(text, count);
  text += ')';
  return text;
}

}  // namespace VeltEmu
