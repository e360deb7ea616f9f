// Number text shared by the environment, the state file and the journal. All parsing is bounded
// and rejects anything but the whole text as a number.
#pragma once

#include <string>

namespace VeltEmu {

// A whole decimal int: optional sign, digits, nothing else, within int range.
bool ParseInt(const char* text, int* value);

// Exactly count finite floats separated by white space, nothing else.
bool ParseFloats(const char* text, float* values, int count);

// Floats as "%.9g" (enough digits to read back the same float), separated by single spaces.
void AppendFloats(std::string& out, const float* values, int count);

void AppendInt(std::string& out, int value);

}  // namespace VeltEmu
