#include "KrDevices/KrPlugin.h"

#include "KrCore/KrLog.h"
#include "KrDevices/KrDisplayList.h"
#include "KrDevices/KrVeltDevice.h"
#include "KrDevices/KrVeltSimulatorDevice.h"

namespace
{
constexpr const char* kMonitorDeviceKind = "KrMonitorDevice";

KrVeltDevice* CreateVeltDevice()
{
    return new KrVeltDevice();
}

KrVeltDevice* CreateVeltSimulatorDevice()
{
    return new KrVeltSimulatorDevice();
}

void DestroyDevice(KrVeltDevice* device)
{
    if (device != nullptr)
        device->Destroy();
}

// Static objects end when the module is unloaded; this one takes the display list with it.
// The log stream stays: the host may still hold it.
struct ReleaseAtUnload
{
    ~ReleaseAtUnload() { ReleaseDisplayList(); }
} releaseAtUnload;
}

void RegisterModules(KrRegisterModule callback)
{
    if (callback == nullptr)
        return;
    callback(CreateVeltDevice, DestroyDevice, "KrVeltDevice", kMonitorDeviceKind);
    callback(CreateVeltSimulatorDevice, DestroyDevice, "KrVeltSimulatorDevice", kMonitorDeviceKind);
}

void InitPlugin(const KrPluginContext* context)
{
    if (context == nullptr)
        return;
    SetLogStream(context->logStream);
}
