// POSIX / Linux implementation of the platform layer.
#include "KrPlatform/KrPlatform.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

std::string KrPlatformProgramPath()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return std::string();
    return std::string(path, static_cast<size_t>(length));
}

char KrPlatformPathSeparator()
{
    return '/';
}

namespace
{
void AppendUtf8(std::string& out, char32_t value)
{
    if (value < 0x80)
    {
        out += static_cast<char>(value);
    }
    else if (value < 0x800)
    {
        out += static_cast<char>(0xC0 | value >> 6);
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
    else if (value < 0x10000)
    {
        out += static_cast<char>(0xE0 | value >> 12);
        out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | value >> 18);
        out += static_cast<char>(0x80 | (value >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Text up to the first zero unit, as OutputDebugStringW would take it.
void WriteToStandardError(const std::u16string& text)
{
    constexpr char32_t kReplacement = 0xFFFD;
    std::string utf8;
    for (size_t i = 0; i < text.size() && text[i] != 0; ++i)
    {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        {
            AppendUtf8(utf8, 0x10000 + (char32_t(unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        }
        else
        {
            AppendUtf8(utf8, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    fwrite(utf8.data(), 1, utf8.size(), stderr);
    fflush(stderr);
}

KrPlatformDebugSink debugSink = WriteToStandardError;
}

void KrPlatformDebugOutput(const std::u16string& text)
{
    debugSink(text);
}

KrPlatformDebugSink KrPlatformSetDebugSink(KrPlatformDebugSink sink)
{
    const KrPlatformDebugSink previous = debugSink;
    debugSink = sink != nullptr ? sink : WriteToStandardError;
    return previous;
}

namespace
{
// Value of an environment variable that holds an absolute path, else empty.
std::string AbsolutePathFromEnvironment(const char* name)
{
    const char* value = getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeFolder()
{
    return AbsolutePathFromEnvironment("HOME");
}

// The value of a line NAME="$HOME/sub" or NAME="/absolute" of user-dirs.dirs, else empty.
std::string UserDirectoryFromFile(const std::string& file, const std::string& name, const std::string& home)
{
    std::ifstream lines(file);
    const std::string prefix = name + "=\"";
    const std::string homeVariable = "$HOME";
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t end = line.find('"', prefix.size());
        if (line.compare(0, prefix.size(), prefix) != 0 || end == std::string::npos)
            continue;
        std::string value = line.substr(prefix.size(), end - prefix.size());
        if (value.compare(0, homeVariable.size(), homeVariable) == 0 && !home.empty())
            value = home + value.substr(homeVariable.size());
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return std::string();
}

// A user directory (XDG_DOCUMENTS_DIR, ...) as user-dirs.dirs names it, else the fallback
// below the home folder.
std::string UserDirectory(const std::string& name, const char* fallback)
{
    const std::string home = HomeFolder();
    std::string config = AbsolutePathFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty())
        config = home + "/.config";
    const std::string folder = config.empty() ? std::string() : UserDirectoryFromFile(config + "/user-dirs.dirs", name, home);
    if (!folder.empty() || home.empty())
        return folder;
    return home + "/" + fallback;
}

std::string NoFolder()
{
    return std::string();
}

std::string ColorProfileFolder()
{
    return "/usr/share/color/icc";
}

std::string SystemFolder()
{
    return "/etc";
}

std::string ApplicationDataFolder()
{
    std::string folder = AbsolutePathFromEnvironment("XDG_DATA_HOME");
    if (folder.empty() && !HomeFolder().empty())
        folder = HomeFolder() + "/.local/share";
    return folder.empty() ? SystemFolder() : folder;
}

std::string DocumentsFolder()
{
    return UserDirectory("XDG_DOCUMENTS_DIR", "Documents");
}

std::string SharedDocumentsFolder()
{
    return UserDirectory("XDG_PUBLICSHARE_DIR", "Public");
}

std::string ProgramFolder()
{
    const std::string program = KrPlatformProgramPath();
    return program.substr(0, program.rfind('/') + 1); // npos + 1 is 0: no folder
}

std::string ProgramsFolder()
{
    return "/opt";
}

std::string LibraryFolder()
{
    return "/usr/lib";
}

// Folder kinds, what they stand for and where they lead here. Null: not supported.
std::string (*const kFolderOfKind[])() = {
    NoFolder,              //  0 none: the name stays as it is
    ColorProfileFolder,    //  1 colour profiles of the system: /usr/share/color/icc
    ColorProfileFolder,    //  2 same as 1
    ColorProfileFolder,    //  3 same as 1
    ApplicationDataFolder, //  4 the user's application data: $XDG_DATA_HOME, else
                           //    $HOME/.local/share, else as 17
    DocumentsFolder,       //  5 the user's documents: XDG_DOCUMENTS_DIR of user-dirs.dirs,
                           //    else $HOME/Documents
    ApplicationDataFolder, //  6 same as 4
    NoFolder,              //  7 none: only the file name remains
    ApplicationDataFolder, //  8 same as 4
    SharedDocumentsFolder, //  9 documents shared with other users: XDG_PUBLICSHARE_DIR of
                           //    user-dirs.dirs, else $HOME/Public
    ApplicationDataFolder, // 10 same as 4
    nullptr,               // 11 not supported
    ProgramFolder,         // 12 the running program's folder, from /proc/self/exe
    ProgramFolder,         // 13 same as 12
    ProgramFolder,         // 14 same as 12
    ProgramsFolder,        // 15 installed programs: /opt
    LibraryFolder,         // 16 the system's own libraries: /usr/lib
    SystemFolder,          // 17 the system's own folder: /etc
};

const int kFolderKinds = sizeof kFolderOfKind / sizeof kFolderOfKind[0];

FILE* CreateFileBeside(const std::string& target, std::string& created)
{
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && access(target.c_str(), W_OK) != 0)
        return nullptr;
    static unsigned serial = 0;
    const int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
    {
        char suffix[40];
        snprintf(suffix, sizeof suffix, ".~%x.%x", static_cast<unsigned>(getpid()), serial++);
        created = target + suffix;
        const int descriptor = open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return nullptr;
        FILE* file = nullptr;
        if (!exists || fchmod(descriptor, existing.st_mode & 07777) == 0)
            file = fdopen(descriptor, "wb");
        if (file == nullptr)
        {
            const int error = errno;
            close(descriptor);
            unlink(created.c_str());
            errno = error;
        }
        return file;
    }
    return nullptr; // errno is still EEXIST
}

KrPlatformFileCreator fileCreator = CreateFileBeside;
}

bool KrPlatformSpecialFolder(int folderKind, std::string& folder)
{
    if (folderKind < 0 || folderKind >= kFolderKinds || kFolderOfKind[folderKind] == nullptr)
        return false;
    folder = kFolderOfKind[folderKind]();
    return true;
}

FILE* KrPlatformOpenFile(const std::string& path, const char* mode)
{
    return fopen(path.c_str(), mode);
}

FILE* KrPlatformCreateFileBeside(const std::string& target, std::string& created)
{
    return fileCreator(target, created);
}

KrPlatformFileCreator KrPlatformSetFileCreator(KrPlatformFileCreator creator)
{
    const KrPlatformFileCreator previous = fileCreator;
    fileCreator = creator != nullptr ? creator : CreateFileBeside;
    return previous;
}

bool KrPlatformReplaceFile(const std::string& from, const std::string& to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

bool KrPlatformRemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}
