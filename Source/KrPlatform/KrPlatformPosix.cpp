// POSIX / Linux implementation of the platform layer.
#include "KrPlatform/KrPlatform.h"

#include <limits.h>
#include <unistd.h>

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
