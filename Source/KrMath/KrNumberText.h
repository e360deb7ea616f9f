// Numbers in the text forms of vectors and matrices.
#pragma once

#include <cstdint>

// One number as the C scanner's "%f" reads it (leading white space skipped), as a 32-bit
// float widened to double. Answers the characters consumed, 0 when no number starts there.
int32_t KrScanFloat(const char* text, double& value);

// One decimal integer with C strtol rules (leading white space, an optional sign), clamped to
// 32 bits. Answers the characters consumed; without digits 0, and value is 0.
int32_t KrScanInt32(const char* text, int32_t& value);
