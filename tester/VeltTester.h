// VeltTester: the interactive console tester of the monitor SDK. It checks that the system is
// compatible, then runs one SDK function per menu entry chosen on the console.
#pragma once

#include <cstdio>
#include <string>

// The whole program: the start-up check, then the menu until entry 0, the end of the input or a
// calibration that ends the program. `programDirectory` ends with the path separator (or is empty
// for the current directory) and locates the table files. Answers the exit code, always 0.
int RunVeltTester(std::FILE* in, std::FILE* out, const std::string& programDirectory);

// The menu loop alone, as the program runs it once the system has been found compatible.
int RunVeltTesterMenu(std::FILE* in, std::FILE* out, const std::string& programDirectory);
