#include "VeltEmuText.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace VeltEmu {

bool ParseInt(const char* text, int* value) {
  const char* digits = (*text == '+' || *text == '-') ? text + 1 : text;
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;  // strtol would skip blanks
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (errno == ERANGE || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
  *value = static_cast<int>(parsed);
  return true;
}

bool ParseFloats(const char* text, float* values, int count) {
  const char* cursor = text;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !std::isspace(static_cast<unsigned char>(*cursor))) return false;
    char* end = nullptr;
    const float parsed = std::strtof(cursor, &end);
    // Underflow to a subnormal is a value we wrote ourselves; only non-finite values are refused.
    if (end == cursor || !std::isfinite(parsed)) return false;
    values[i] = parsed;
    cursor = end;
  }
  while (std::isspace(static_cast<unsigned char>(*cursor))) ++cursor;
  return *cursor == '\0';
}

void AppendFloats(std::string& out, const float* values, int count) {
  char buffer[32];
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += ' ';
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(values[i]));
    out += buffer;
  }
}

void AppendInt(std::string& out, int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  out += buffer;
}

}  // namespace VeltEmu
