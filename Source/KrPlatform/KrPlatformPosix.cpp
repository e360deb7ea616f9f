// POSIX / Linux implementation of the platform layer.
#include "KrPlatform/KrPlatform.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <fstream>

namespace
{
// Installs a test's replacement for a system piece (null puts the system's own back) and answers
// the one that was in place.
template <class Hook>
Hook ReplaceHook(Hook& current, Hook replacement, Hook system)
{
    const Hook previous = current;
    current = replacement != nullptr ? replacement : system;
    return previous;
}
}

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
    return ReplaceHook(debugSink, sink, WriteToStandardError);
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
    return ReplaceHook(fileCreator, creator, CreateFileBeside);
}

bool KrPlatformReplaceFile(const std::string& from, const std::string& to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

bool KrPlatformRemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}

namespace
{
int64_t MonotonicMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Taken while the program loads, before main.
const int64_t processStart = MonotonicMilliseconds();

int64_t MillisecondsSinceStart()
{
    return MonotonicMilliseconds() - processStart;
}

KrPlatformClock currentClock = MillisecondsSinceStart;
}

int64_t KrPlatformMilliseconds()
{
    return currentClock();
}

KrPlatformClock KrPlatformSetClock(KrPlatformClock replacement)
{
    return ReplaceHook(currentClock, replacement, MillisecondsSinceStart);
}

namespace
{
// Sleeps on after a signal until the whole time has passed.
void SleepMilliseconds(int64_t milliseconds)
{
    if (milliseconds <= 0)
        return;
    timespec remaining;
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000 * 1000000);
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR)
    {
    }
}

KrPlatformSleeper currentSleeper = SleepMilliseconds;
}

void KrPlatformSleep(int64_t milliseconds)
{
    currentSleeper(milliseconds);
}

KrPlatformSleeper KrPlatformSetSleeper(KrPlatformSleeper sleeper)
{
    return ReplaceHook(currentSleeper, sleeper, SleepMilliseconds);
}

namespace
{
// The few Xlib and XRandR functions the display query needs, found in libraries opened for it.
struct XRandRFunctions
{
    decltype(&XOpenDisplay) openDisplay;
    decltype(&XCloseDisplay) closeDisplay;
    decltype(&XSetErrorHandler) setErrorHandler;
    decltype(&XGetAtomName) getAtomName;
    decltype(&XFree) free;
    decltype(&XRRQueryVersion) queryVersion;
    decltype(&XRRGetMonitors) getMonitors;
    decltype(&XRRFreeMonitors) freeMonitors;
};

template <class Function>
bool Resolve(void* library, const char* name, Function*& function)
{
    function = reinterpret_cast<Function*>(dlsym(library, name));
    return function != nullptr;
}

bool ResolveXRandR(void* x11, void* xrandr, XRandRFunctions& x)
{
    return Resolve(x11, "XOpenDisplay", x.openDisplay) && Resolve(x11, "XCloseDisplay", x.closeDisplay) &&
           Resolve(x11, "XSetErrorHandler", x.setErrorHandler) && Resolve(x11, "XGetAtomName", x.getAtomName) &&
           Resolve(x11, "XFree", x.free) && Resolve(xrandr, "XRRQueryVersion", x.queryVersion) &&
           Resolve(xrandr, "XRRGetMonitors", x.getMonitors) && Resolve(xrandr, "XRRFreeMonitors", x.freeMonitors);
}

// Xlib's own handler ends the program on any error; during the query an error only makes the
// request that caused it answer nothing.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

std::vector<KrPlatformDisplay> XRandRMonitors(const XRandRFunctions& x, Display* display)
{
    // Monitor lists came with RandR 1.5.
    int major = 0;
    int minor = 0;
    if (!x.queryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5))
        return {};
    int count = 0;
    XRRMonitorInfo* monitors = x.getMonitors(display, DefaultRootWindow(display), True, &count);
    std::vector<KrPlatformDisplay> displays;
    for (int i = 0; monitors != nullptr && i < count; ++i)
    {
        const XRRMonitorInfo& monitor = monitors[i];
        KrPlatformDisplay entry;
        if (char* name = x.getAtomName(display, monitor.name))
        {
            entry.described = true;
            entry.left = monitor.x;
            entry.top = monitor.y;
            entry.right = monitor.x + monitor.width;
            entry.bottom = monitor.y + monitor.height;
            entry.deviceName = name;
            entry.isPrimary = monitor.primary != 0;
            x.free(name);
        }
        displays.push_back(entry);
    }
    if (monitors != nullptr)
        x.freeMonitors(monitors);
    return displays;
}

std::vector<KrPlatformDisplay> XServerDisplays()
{
    std::vector<KrPlatformDisplay> displays;
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    void* xrandr = x11 != nullptr ? dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL) : nullptr;
    XRandRFunctions x;
    if (xrandr != nullptr && ResolveXRandR(x11, xrandr, x))
    {
        if (Display* display = x.openDisplay(nullptr))
        {
            const XErrorHandler previousHandler = x.setErrorHandler(IgnoreXError);
            displays = XRandRMonitors(x, display);
            x.closeDisplay(display);
            x.setErrorHandler(previousHandler);
        }
    }
    if (xrandr != nullptr)
        dlclose(xrandr);
    if (x11 != nullptr)
        dlclose(x11);
    return displays;
}

KrPlatformDisplayEnumerator displayEnumerator = XServerDisplays;
}

std::vector<KrPlatformDisplay> KrPlatformEnumerateDisplays()
{
    return displayEnumerator();
}

KrPlatformDisplayEnumerator KrPlatformSetDisplayEnumerator(KrPlatformDisplayEnumerator enumerator)
{
    return ReplaceHook(displayEnumerator, enumerator, XServerDisplays);
}
