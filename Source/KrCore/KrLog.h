// The debug log: every diagnostic line goes through LogText or LogFormat to the current log
// stream, the host's or else the debug-output stream. The log never raises.
#pragma once

#include "KrCore/KrString.h"

#include <cstdint>

class KrStream;
class KrOutputDebugStream;

// Writes text if level is at most the log level (0). A text that does not end in a line feed
// gets one in a second Write. Messages logged while one is being written are dropped; a
// stream that raises loses its message, and later messages are written again.
void LogText(int32_t level, const char* text);
// printf-style; the message goes out in one Write, its line feed included. Messages are cut
// to 4095 bytes.
void LogFormat(int32_t level, const char* format, ...) KR_PRINTF_FORMAT(2, 3);
// Makes stream current, taking over the caller's reference; null selects the default stream.
void SetLogStream(KrStream* stream);
// The debug-output stream, created on the first call and kept for the life of the module.
KrOutputDebugStream* GetDefaultLogStream();
