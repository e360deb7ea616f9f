// A monitor device without a monitor: the monitor's state lives in "MonitorSimulation.txt" in
// the current directory, so a host can run a whole calibration without the SDK.
#pragma once

#include "KrCore/KrString.h"
#include "KrDevices/KrVeltDevice.h"

#include <cstdint>

class KrDataBase;

// The state file names the sections that simulate display slots 0 and 1 in its top-level
// entries Display0 and Display1; a section answers for the display number in its VeltPort.
// A key k is read from "_k" when that entry exists and from k otherwise, and always written
// to "_k": plain keys are presets, underscore keys the simulator's own state.
class KrVeltSimulatorDevice : public KrVeltDevice
{
public:
    // The overrides of the host's table; every other operation is the monitor device's.
    int32_t ConnectMonitor(int32_t display) override;
    void Disconnect() override;
    double GetBrightness() override;
    double GetContrast() override;
    double GetRedGain() override;
    double GetBlueGain() override;
    double GetGreenGain() override;
    // Stores the step that the monitor would get, as a fraction; the brightness field stays.
    void SetBrightness(double brightness) override;
    void SetContrast(double contrast) override;
    void SetRedGain(double gain) override;
    void SetGreenGain(double gain) override;
    void SetBlueGain(double gain) override;
    // Stores the sampled tables as " %f" lists under RLUT, GLUT and BLUT; no gamma, no wait.
    void SetRGBCalibration(KrTrafo* transform, KrProgressObserver* progress) override;
    // Sets the brightness unless it is negative (or NaN); no mode change.
    void InitCalibrationMode(double brightness, KrProgressObserver* progress) override;
    // Only "SetMaxBrightness" acts; out is never written.
    char* SetNamedParameter(const char* name, const char* value, char* out, int32_t reserved) override;
    ~KrVeltSimulatorDevice() override = default;

    // Each loads the whole state file; a display no section answers for raises KrIOErr.
    void StoreSetting(const char* key, const KrString& value);
    KrString FetchSetting(const char* key, const char* defaultText);

    static constexpr const char* kStateFileName = "MonitorSimulation.txt";

protected:
    int32_t simulatedDisplay = 0; // the slot that matched at the last file access

private:
    // The section of the state file that answers for displayIndex.
    KrDataBase& FindSection(KrDataBase& state);
    double FetchNumber(const char* key, const char* logFormat);
    void StoreNumber(const char* key, double value, const char* logFormat, double logged);
};
