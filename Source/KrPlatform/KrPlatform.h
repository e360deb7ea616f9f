// The one door to the operating system. Everything else in the system stays platform-neutral
// and reaches the OS only through the functions declared here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Full path of the running program, as the system reports it (UTF-8). Empty when unknown.
std::string KrPlatformProgramPath();

// The separator between a folder and a file name in native paths.
char KrPlatformPathSeparator();

// Sends UTF-16 text to the debugger output. Linux has no debugger channel: there the text goes
// to standard error as UTF-8 (a surrogate pair as one character, a lone surrogate as U+FFFD).
void KrPlatformDebugOutput(const std::u16string& text);

// Where debugger output goes, replaceable so that tests can capture it. Setting null restores
// the system's own; answers the sink that was in place.
using KrPlatformDebugSink = void (*)(const std::u16string& text);
KrPlatformDebugSink KrPlatformSetDebugSink(KrPlatformDebugSink sink);

// The folder of a folder kind (0 to 17; what each kind stands for is the table in the
// implementation), as a UTF-8 path with '/' separators. Answers false for a kind that is not
// supported (11, negative, above 17); folder is empty when the kind has no folder or the
// system does not know it.
bool KrPlatformSpecialFolder(int folderKind, std::string& folder);

// Opens a file by its UTF-8 path with a C library mode ("rb", "r+", ...), leaving other
// processes free to read and write it too. Null, with errno set, on failure.
std::FILE* KrPlatformOpenFile(const std::string& path, const char* mode);

// Creates a new, empty file in the folder of target, under a name no file has yet, open for
// binary writing and with target's permissions when target exists. Null, with errno set, on
// failure, also when target exists but may not be written. created receives the new path.
std::FILE* KrPlatformCreateFileBeside(const std::string& target, std::string& created);

// How new files beside a target are made, replaceable so that tests can make writes fail.
// Setting null restores the system's own; answers the creator that was in place.
using KrPlatformFileCreator = std::FILE* (*)(const std::string& target, std::string& created);
KrPlatformFileCreator KrPlatformSetFileCreator(KrPlatformFileCreator creator);

// Puts the file from in the place of to in one step: to holds either its old content or
// from's, never a mixture. False, with errno set, on failure.
bool KrPlatformReplaceFile(const std::string& from, const std::string& to);

// Deletes a file; false, with errno set, on failure.
bool KrPlatformRemoveFile(const std::string& path);

// Milliseconds since the process started, never going backwards.
int64_t KrPlatformMilliseconds();

// Where the millisecond clock comes from, replaceable so that tests can set the time. Setting
// null restores the system's own; answers the clock that was in place.
using KrPlatformClock = int64_t (*)();
KrPlatformClock KrPlatformSetClock(KrPlatformClock clock);

// Blocks the calling thread for the given milliseconds (nothing for none or fewer).
void KrPlatformSleep(int64_t milliseconds);

// How the program sleeps, replaceable so that tests do not wait. Setting null restores the
// system's own; answers the sleeper that was in place.
using KrPlatformSleeper = void (*)(int64_t milliseconds);
KrPlatformSleeper KrPlatformSetSleeper(KrPlatformSleeper sleeper);

// One display as the system reports it. described is false for a display that the system
// lists but cannot tell about; its other fields are then unset.
struct KrPlatformDisplay
{
    bool described = false;
    int32_t left = 0; // bounds in virtual-screen coordinates; right and bottom lie outside
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    std::string deviceName; // UTF-8
    bool isPrimary = false;
};

// The displays attached, in the system's order. Linux: the active monitors of the X server
// that DISPLAY names, through XRandR. libX11 and libXrandr are loaded only for the query, so
// without them, or without a reachable X server, there are simply no displays.
std::vector<KrPlatformDisplay> KrPlatformEnumerateDisplays();

// Where displays come from, replaceable so that tests can attach displays. Setting null
// restores the system's own; answers the enumerator that was in place.
using KrPlatformDisplayEnumerator = std::vector<KrPlatformDisplay> (*)();
KrPlatformDisplayEnumerator KrPlatformSetDisplayEnumerator(KrPlatformDisplayEnumerator enumerator);
