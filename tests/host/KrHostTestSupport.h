// What the host-level tests share: the plug-in loaded once for the whole program, as a host
// would keep it, and a way to run a command line with its output kept in files.
#pragma once

#include "../KrFiles/KrTempFolder.h"
#include "KrPluginLibrary.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

inline Lines SplitLines(const std::string& text)
{
    Lines lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

inline std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command in folder with standard output and error going to out.txt and
// err.txt there; answers the exit status.
inline int RunInFolder(const KrTempFolder& folder, const std::string& command, const std::string& folderName = "")
{
    const std::string where = folderName.empty() ? folder.Path() : folder.Path(folderName);
    const std::string line = "cd " + ShellQuoted(where) + " && { " + command + " ; } >out.txt 2>err.txt; echo $? >status.txt";
    if (std::system(line.c_str()) != 0)
        return -1;
    return std::atoi(KrTempFolder::Read(where + "/status.txt").c_str());
}

inline const KrPluginLibrary& ThePlugin()
{
    static const KrPluginLibrary plugin(KR_PLUGIN_LIBRARY);
    return plugin;
}
