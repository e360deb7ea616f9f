// The plug-in's two exports and the records that a host exchanges with them.
#pragma once

#include <cstdint>

class KrStream;
class KrVeltDevice;

#define KR_PLUGIN_EXPORT __attribute__((visibility("default")))

extern "C" {
using KrCreateDevice = KrVeltDevice* (*)();
// Null does nothing.
using KrDestroyDevice = void (*)(KrVeltDevice* device);
// The host's registration callback; its answer is not examined.
using KrRegisterModule = int32_t (*)(KrCreateDevice create, KrDestroyDevice destroy, const char* className,
                                     const char* kindName);

// The host's record for InitPlugin: pointer-sized fields, of which only the third is read.
struct KrPluginContext
{
    void* unused1;
    void* unused2;
    KrStream* logStream; // the host's reference passes to the log; null: the default stream
};

// Registers every device class with the callback, KrVeltDevice first. Null does nothing.
KR_PLUGIN_EXPORT void RegisterModules(KrRegisterModule callback);
// Installs the context's log stream; a null context leaves the log as it is.
KR_PLUGIN_EXPORT void InitPlugin(const KrPluginContext* context);
}
