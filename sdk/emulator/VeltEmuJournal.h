// The journal: one line "Name(arguments) -> answer" per SDK call, appended to the file named by
// VELTDLL_JOURNAL and flushed at once. A journal that cannot be opened is skipped.
#pragma once

#include <initializer_list>
#include <string>

#include "VeltEmuRequests.h"

namespace VeltEmu {

const char* JournalPath();  // null when no journal is configured
void AppendJournalLine(const char* path, const std::string& call, int answer);

// Writes the line of a call whose text makeCall() builds, only when a journal is configured;
// answers answer.
template <typename MakeCall>
int Journal(int answer, MakeCall makeCall) {
  if (const char* path = JournalPath()) AppendJournalLine(path, makeCall(), answer);
  return answer;
}

// The line of a call with int arguments only: "Name(a, b) -> answer".
int JournalInts(int answer, const char* name, std::initializer_list<int> arguments = {});

// "Name(result)", or "Name(null)" for a null result area.
std::string ResultCallText(const char* name, const void* result);
std::string LutCallText(const float* red, const float* green, const float* blue, int mode);
std::string CalibrateCallText(const VeltCalibrationRequest* request, int count);
std::string TableCalibrateCallText(const VeltTableCalibrationRequest* request, int count);

}  // namespace VeltEmu
