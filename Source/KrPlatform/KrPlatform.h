// The one door to the operating system. Everything else in the system stays platform-neutral
// and reaches the OS only through the functions declared here.
#pragma once

#include <cstdio>
#include <string>

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
