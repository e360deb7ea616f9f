// The one door to the operating system. Everything else in the system stays platform-neutral
// and reaches the OS only through the functions declared here.
#pragma once

#include <string>

// Full path of the running program, as the system reports it (UTF-8). Empty when unknown.
std::string KrPlatformProgramPath();

// The separator between a folder and a file name in native paths.
char KrPlatformPathSeparator();
