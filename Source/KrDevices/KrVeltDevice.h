// The monitor device: drives the monitor through VeltDLL and traces every SDK call in the log.
#pragma once

#include <cstdint>

class KrTrafo;
class KrProgressObserver;

class KrVeltDevice
{
public:
    KrVeltDevice() = default;
    KrVeltDevice(const KrVeltDevice&) = delete;
    KrVeltDevice& operator=(const KrVeltDevice&) = delete;

    // The host calls these by their place in the table: keep the order, the destructor last,
    // and declare no other virtual function before it.

    // Disconnects, then frees the device.
    virtual void Destroy();
    virtual int32_t QueryA();
    // 0 when the monitor answers as compatible, else 66.
    virtual int32_t ConnectMonitor(int32_t display);
    virtual void Disconnect();
    virtual bool IsConnected();
    virtual int32_t QueryB();
    // Brightness is a fraction of maxBrightness steps, contrast of 100 steps, a gain of
    // gainScale steps.
    virtual double GetBrightness();
    virtual double GetContrast();
    virtual double GetRedGain();
    virtual double GetBlueGain();
    virtual double GetGreenGain();
    // Also stores the brightness in the monitor for the calibration mode.
    virtual void SetBrightness(double brightness);
    virtual void SetContrast(double contrast);
    virtual void SetRedGain(double gain);
    virtual void SetGreenGain(double gain);
    virtual void SetBlueGain(double gain);
    virtual bool QueryC();
    virtual bool QueryD();
    // The same gamma on all three channels, through SetRGBCalibration.
    virtual void SetGammaCurve(double gamma, KrProgressObserver* progress);
    // Samples transform into the three tables, raised to baseGamma, loads them for the mode and
    // saves the brightness (read back first when unknown); then waits 3000 ms. A null transform
    // or values that are not finite raise KrArgErr before the upload; an SDK status other than 1
    // raises an error of that code named "VeltSDK=<status>", without the wait.
    virtual void SetRGBCalibration(KrTrafo* transform, KrProgressObserver* progress);
    // Switches the monitor to the calibration mode and sets the brightness unless it is
    // negative (or NaN).
    virtual void InitCalibrationMode(double brightness, KrProgressObserver* progress);
    // Connects to display 0 and writes the monitor's brightness and gains back.
    virtual void ReapplySettings();
    // "SetBaseGamma", "SetCalibrationAlert", "SetOSDLock" or "SetMaxBrightness" with its value
    // as text. Answers out, into which at most kNamedParameterOutSize bytes are written.
    virtual char* SetNamedParameter(const char* name, const char* value, char* out, int32_t reserved);
    // Disconnects once more, through this class's own Disconnect.
    virtual ~KrVeltDevice();

    // Room that SetNamedParameter may use in out, terminating zero included.
    static constexpr int kNamedParameterOutSize = 32;

protected:
    int32_t displayIndex = 0;
    bool connected = false;
    int32_t mode = 4; // the calibration mode
    double baseGamma = 2.0;
    double gainScale = 50.0;
    double brightness = -1.0; // negative: not known yet
    double maxBrightness = 100.0;
    int32_t monitorType = 3; // not supported
};
