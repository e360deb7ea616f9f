#include "KrDevices/KrVeltSimulatorDevice.h"

#include "KrCore/KrError.h"
#include "KrCore/KrLog.h"
#include "KrData/KrDataBase.h"
#include "KrDevices/KrCalibrationTables.h"
#include "KrDevices/KrDeviceSteps.h"
#include "KrMath/KrTrafo.h"
#include "Krio/KrFileSpec.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
constexpr int32_t kConnected = 0;
constexpr int32_t kNotConnected = 66;
constexpr int32_t kSlotCount = 2;
constexpr double kMinMaxBrightness = 1.0;
constexpr const char* kTableKeys[KrCalibrationTables::kChannels] = {"RLUT", "GLUT", "BLUT"};

KrFileSpec StateFile()
{
    return KrFileSpec(KrString(KrVeltSimulatorDevice::kStateFileName));
}

KrString UnderscoreKey(const char* key)
{
    return KrString("_").Append(key);
}

KrString TableText(const float* table)
{
    KrString text;
    char number[64];
    for (int32_t i = 0; i < KrCalibrationTables::kLevels; ++i)
    {
        const float value = table[i];
        std::snprintf(number, sizeof number, " %f", static_cast<double>(value));
        text.Append(number);
    }
    return text;
}
}

KrDataBase& KrVeltSimulatorDevice::FindSection(KrDataBase& state)
{
    state.Load(StateFile());
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
    {
        const KrString name = state.GetString(KrString::Format("Display%d", slot), KrString());
        KrDataBase* section = state.GetChild(name, false);
        if (section != nullptr && section->GetInt("VeltPort", -1) == displayIndex)
        {
            simulatedDisplay = slot;
            return *section;
        }
    }
    KR_RAISE(KrErrIOErr);
}

void KrVeltSimulatorDevice::StoreSetting(const char* key, const KrString& value)
{
    KrDataBase state;
    FindSection(state).Set(UnderscoreKey(key), value);
    state.Save(StateFile());
}

KrString KrVeltSimulatorDevice::FetchSetting(const char* key, const char* defaultText)
{
    KrDataBase state;
    const KrDataBase& section = FindSection(state);
    const KrString stored = UnderscoreKey(key);
    if (section.Exists(stored))
        return section.GetString(stored, defaultText);
    return section.GetString(key, defaultText);
}

double KrVeltSimulatorDevice::FetchNumber(const char* key, const char* logFormat)
{
    const double value = FetchSetting(key, "1.0").ToDouble();
    LogFormat(0, logFormat, value);
    return value;
}

void KrVeltSimulatorDevice::StoreNumber(const char* key, double value, const char* logFormat, double logged)
{
    LogFormat(0, logFormat, logged);
    StoreSetting(key, KrString::Format("%f", value));
}

int32_t KrVeltSimulatorDevice::ConnectMonitor(int32_t display)
{
    Disconnect();
    displayIndex = display;
    try
    {
        StoreSetting("Connected", "true");
        connected = true;
    }
    catch (const KrError&)
    {
        connected = false;
    }
    // Like the named setting, never below one step: a brightness is divided by it.
    const double steps = FetchSetting("MaxBrightness", "100").ToDouble();
    maxBrightness = steps >= kMinMaxBrightness ? steps : kMinMaxBrightness; // NaN too
    LogFormat(0, "KrVeltSimulatorDevice::ConnectMonitor(%d) %s", display, connected ? "succeeded" : "failed");
    return connected ? kConnected : kNotConnected;
}

void KrVeltSimulatorDevice::Disconnect()
{
    try
    {
        StoreSetting("Connected", "false");
    }
    catch (const KrError&)
    {
        // A display without a section, or no state file: there is nothing to mark.
    }
    connected = false;
    LogText(0, "KrVeltSimulatorDevice::Disconnect");
}

double KrVeltSimulatorDevice::GetBrightness()
{
    return FetchNumber("Brightness", "KrVeltSimulatorDevice::GetBrightness -> %f");
}

double KrVeltSimulatorDevice::GetContrast()
{
    return FetchNumber("Contrast", "KrVeltSimulatorDevice::GetContrast -> %f");
}

double KrVeltSimulatorDevice::GetRedGain()
{
    return FetchNumber("RedGain", "KrVeltSimulatorDevice::GetRedGain -> %f");
}

double KrVeltSimulatorDevice::GetBlueGain()
{
    return FetchNumber("BlueGain", "KrVeltSimulatorDevice::GetBlueGain -> %f");
}

double KrVeltSimulatorDevice::GetGreenGain()
{
    return FetchNumber("GreenGain", "KrVeltSimulatorDevice::GetGreenGain -> %f");
}

void KrVeltSimulatorDevice::SetBrightness(double value)
{
    const double stored = KrLowByte(KrCutToInt32(value * maxBrightness)) / maxBrightness;
    StoreNumber("Brightness", stored, "KrVeltSimulatorDevice::SetBrightness %f", value);
}

void KrVeltSimulatorDevice::SetContrast(double contrast)
{
    StoreNumber("Contrast", contrast, "KrVeltSimulatorDevice::SetContrast %f", contrast);
}

void KrVeltSimulatorDevice::SetRedGain(double gain)
{
    StoreNumber("RedGain", gain, "KrVeltSimulatorDevice::SetRedGain %f", gain);
}

void KrVeltSimulatorDevice::SetGreenGain(double gain)
{
    StoreNumber("GreenGain", gain, "KrVeltSimulatorDevice::SetGreenGain %f", gain);
}

void KrVeltSimulatorDevice::SetBlueGain(double gain)
{
    StoreNumber("BlueGain", gain, "KrVeltSimulatorDevice::SetBlueGain %f", gain);
}

void KrVeltSimulatorDevice::SetRGBCalibration(KrTrafo* transform, KrProgressObserver*)
{
    LogText(0, "KrVeltSimulatorDevice::SetRGBCalibration");
    if (transform == nullptr)
        KR_RAISE(KrErrArgErr);
    if (brightness < 0.0)
        brightness = GetBrightness();
    KrCalibrationTables tables;
    KrBuildPlainTables(*transform, tables);
    for (int32_t c = 0; c < KrCalibrationTables::kChannels; ++c)
        StoreSetting(kTableKeys[c], TableText(tables.Channel(c)));
}

void KrVeltSimulatorDevice::InitCalibrationMode(double value, KrProgressObserver* progress)
{
    LogFormat(0, "KrVeltSimulatorDevice::InitCalibrationMode %f", value);
    if (value >= 0.0) // a negative brightness, or NaN, stays unset
        SetBrightness(value);
    if (progress != nullptr)
        progress->ReportProgress(1.0);
}

char* KrVeltSimulatorDevice::SetNamedParameter(const char* name, const char* value, char* out, int32_t reserved)
{
    if (name == nullptr)
        KR_RAISE(KrErrArgErr);
    if (std::strcmp(name, "SetMaxBrightness") == 0)
        KrVeltDevice::SetNamedParameter(name, value, nullptr, reserved);
    return out;
}
