#include "KrPluginLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace
{
template <class Function>
Function Find(void* library, const char* name, std::string& error)
{
    Function function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && error.empty())
        error = std::string("no export ") + name;
    return function;
}

// Where the registration callback puts what it hears; the callback has no context of its own.
std::vector<KrModule>* registering = nullptr;

int32_t RecordModule(KrCreateDevice create, KrDestroyDevice destroy, const char* className, const char* kindName)
{
    registering->push_back({create, destroy, className != nullptr ? className : "", kindName != nullptr ? kindName : ""});
    return 1;
}
}

KrPluginLibrary::KrPluginLibrary(const std::string& path)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
    {
        error = dlerror();
        return;
    }
    registerModules = Find<KrRegisterModulesFunction>(library, "RegisterModules", error);
    initPlugin = Find<KrInitPluginFunction>(library, "InitPlugin", error);
}

std::vector<KrModule> KrPluginLibrary::Modules() const
{
    std::vector<KrModule> modules;
    registering = &modules;
    registerModules(RecordModule);
    registering = nullptr;
    return modules;
}

std::string KrPluginLibrary::DefaultPath()
{
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    const std::string path(program, length > 0 ? static_cast<size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "../lib/libKrVeltDeviceDLL.so";
}
