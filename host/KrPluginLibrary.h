// A monitor plug-in loaded from its file, with its two exports and the modules it registers.
#pragma once

#include "KrPluginInterface.h"

#include <string>
#include <vector>

// One device class that the plug-in offers.
struct KrModule
{
    KrCreateDevice create;
    KrDestroyDevice destroy;
    std::string className;
    std::string kindName;
};

class KrPluginLibrary
{
public:
    // Loads the plug-in, which then stays loaded until the process ends: it keeps the host's
    // log stream and its own objects for as long as it lives.
    explicit KrPluginLibrary(const std::string& path);

    // False when the file could not be loaded or lacks an export; Error says why.
    bool IsLoaded() const { return registerModules != nullptr && initPlugin != nullptr; }
    const std::string& Error() const { return error; }

    KrRegisterModulesFunction RegisterModules() const { return registerModules; }
    KrInitPluginFunction InitPlugin() const { return initPlugin; }

    // Asks the plug-in for its modules, in the order it registers them.
    std::vector<KrModule> Modules() const;

    // libKrVeltDeviceDLL.so in the lib folder beside the running program's folder.
    static std::string DefaultPath();

private:
    KrRegisterModulesFunction registerModules = nullptr;
    KrInitPluginFunction initPlugin = nullptr;
    std::string error;
};
