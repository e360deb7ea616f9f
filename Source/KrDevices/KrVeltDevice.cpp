#include "KrDevices/KrVeltDevice.h"

#include "KrColor/KrColorSpace.h"
#include "KrCore/KrError.h"
#include "KrCore/KrLog.h"
#include "KrDevices/KrCalibrationTables.h"
#include "KrDevices/KrDeviceSteps.h"
#include "KrDevices/KrDisplayList.h"
#include "KrMath/KrColorLinearization.h"
#include "KrMath/KrTrafo.h"
#include "KrPlatform/KrPlatform.h"
#include "VeltDLL.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr int32_t kConnected = 0;
constexpr int32_t kNotConnected = 66;
constexpr int32_t kTypeCedar = 2;
constexpr int32_t kTypeNotSupported = 3;
constexpr double kCedarBrightnessSteps = 13.0;
constexpr double kBrightnessSteps = 100.0; // every other type's
constexpr double kContrastSteps = 100.0;
constexpr int32_t kCustomMode = 0;
constexpr int kUploadSucceeded = 1;
constexpr int64_t kUploadSettleMilliseconds = 3000;

const char* TrueOrFalse(bool value)
{
    return value ? "true" : "false";
}

// Like atol, without its undefined result for numbers out of range.
int32_t ReadInteger(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The SDK functions and the log's word for one gain channel.
struct GainChannel
{
    const char* name;
    unsigned char (*get)();
    unsigned char (*set)(int);
};

const GainChannel kRed{"Red", GetRedColor, SetRedColor};
const GainChannel kGreen{"Green", GetGreenColor, SetGreenColor};
const GainChannel kBlue{"Blue", GetBlueColor, SetBlueColor};

double GetGain(const GainChannel& channel, double gainScale)
{
    const int steps = channel.get();
    LogFormat(0, "Velt: Get%sColor -> %d", channel.name, steps);
    const double gain = steps / gainScale;
    LogFormat(0, "KrVeltDevice::Get%sGain -> %f", channel.name, gain);
    return gain;
}

void SetGain(const GainChannel& channel, double gain, double gainScale)
{
    LogFormat(0, "KrVeltDevice::Set%sGain %f", channel.name, gain);
    const int32_t steps = KrCutToInt32(gain * gainScale);
    channel.set(KrLowByte(steps));
    LogFormat(0, "Velt: Set%sColor(%d)", channel.name, steps);
}
}

void KrVeltDevice::Destroy()
{
    Disconnect();
    delete this;
}

int32_t KrVeltDevice::QueryA()
{
    return 1;
}

int32_t KrVeltDevice::ConnectMonitor(int32_t display)
{
    Disconnect();
    if (GetDisplayList().Size() > 1)
    {
        // The SDK counts its displays the other way round.
        LogFormat(0, "VeltDevice: SwitchDisplay(%s)", TrueOrFalse(display == 0));
        ::SwitchDisplay(display == 0 ? 1 : 0);
    }
    displayIndex = display;
    if (!connected)
    {
        connected = ::CheckCompatibleSystem() != 0;
        LogFormat(0, "Velt: CheckCompatibleSystem -> %s", TrueOrFalse(connected));
        if (connected)
        {
            monitorType = ::GetMonitorType();
            LogFormat(0, "Velt: GetMonitorType -> %d", monitorType);
            if (monitorType == kTypeNotSupported)
            {
                // Some monitors tell their type only in the custom mode: ask there, then go back.
                const int previousMode = ::ReadMode();
                LogFormat(0, "Velt: ReadMode -> %d", previousMode);
                ::ChangeMode(kCustomMode);
                LogText(0, "Velt: ChangeMode(0)");
                monitorType = ::GetMonitorType();
                LogFormat(0, "Velt: GetMonitorType -> %d", monitorType);
                ::ChangeMode(previousMode);
                LogFormat(0, "Velt: ChangeMode(%d)", previousMode);
            }
            maxBrightness = monitorType == kTypeCedar ? kCedarBrightnessSteps : kBrightnessSteps;
        }
    }
    return connected ? kConnected : kNotConnected;
}

void KrVeltDevice::Disconnect()
{
    monitorType = kTypeNotSupported;
    connected = false;
    LogText(0, "KrVeltDevice::Disconnect");
}

bool KrVeltDevice::IsConnected()
{
    return connected;
}

int32_t KrVeltDevice::QueryB()
{
    return 1;
}

double KrVeltDevice::GetBrightness()
{
    const int steps = ::GetBrightness();
    LogFormat(0, "Velt: GetBrightness -> %d", steps);
    const double result = steps / maxBrightness;
    LogFormat(0, "KrVeltDevice::GetBrightness -> %f", result);
    return result;
}

double KrVeltDevice::GetContrast()
{
    const int steps = ::GetContrast();
    LogFormat(0, "Velt: GetContrast -> %d", steps);
    const double result = steps * 0.01;
    LogFormat(0, "KrVeltDevice::GetContrast -> %f", result);
    return result;
}

double KrVeltDevice::GetRedGain()
{
    return GetGain(kRed, gainScale);
}

double KrVeltDevice::GetBlueGain()
{
    return GetGain(kBlue, gainScale);
}

double KrVeltDevice::GetGreenGain()
{
    return GetGain(kGreen, gainScale);
}

void KrVeltDevice::SetBrightness(double value)
{
    LogFormat(0, "KrVeltDevice::SetBrightness %f", value);
    brightness = value;
    const int32_t steps = KrCutToInt32(value * maxBrightness);
    ::SetBrightness(KrLowByte(steps));
    LogFormat(0, "Velt: SetBrightness(%d)", steps);
    // Stored for the calibration mode at every set.
    const int saved = ::SaveBrighntessForMode(KrLowByte(steps), mode);
    LogFormat(0, "Velt: SaveBrightnessForMode( %d, %d) -> %d", steps, mode, saved);
}

void KrVeltDevice::SetContrast(double contrast)
{
    LogFormat(0, "KrVeltDevice::SetContrast %f", contrast);
    const int32_t steps = KrCutToInt32(contrast * kContrastSteps);
    ::SetContrast(KrLowByte(steps));
    LogFormat(0, "Velt: SetContrast(%d)", steps);
}

void KrVeltDevice::SetRedGain(double gain)
{
    SetGain(kRed, gain, gainScale);
}

void KrVeltDevice::SetGreenGain(double gain)
{
    SetGain(kGreen, gain, gainScale);
}

void KrVeltDevice::SetBlueGain(double gain)
{
    SetGain(kBlue, gain, gainScale);
}

bool KrVeltDevice::QueryC()
{
    return true;
}

bool KrVeltDevice::QueryD()
{
    return true;
}

void KrVeltDevice::SetGammaCurve(double gamma, KrProgressObserver* progress)
{
    // Destroyed when the upload raises, too.
    KrColorLinearization curves(KrSignature("RGB "));
    curves.SetChannelCount(KrCalibrationTables::kChannels);
    for (int32_t channel = 0; channel < KrCalibrationTables::kChannels; ++channel)
        curves.GetCurve(channel).SetCurveGamma(gamma);
    SetRGBCalibration(&curves, progress);
}

void KrVeltDevice::SetRGBCalibration(KrTrafo* transform, KrProgressObserver*)
{
    LogText(0, "KrVeltDevice::SetRGBCalibration");
    if (transform == nullptr)
        KR_RAISE(KrErrArgErr);
    if (brightness < 0.0)
        brightness = GetBrightness();
    KrCalibrationTables tables;
    KrBuildGammaTables(*transform, baseGamma, tables);
    const int status = ::Set_RGB_LUT(tables.Channel(KrCalibrationTables::kRed), tables.Channel(KrCalibrationTables::kGreen),
                                     tables.Channel(KrCalibrationTables::kBlue), mode);
    LogFormat(0, "Velt: Set_RGB_LUT(..., %d) -> %d", mode, status);
    // Saved whatever the upload answered.
    const int32_t steps = KrCutToInt32(maxBrightness * brightness);
    const int saved = ::SaveBrighntessForMode(KrLowByte(steps), mode);
    LogFormat(0, "Velt: SaveBrightnessForMode( %d, %d) -> %d", steps, mode, saved);
    if (status != kUploadSucceeded)
    {
        char name[32];
        std::snprintf(name, sizeof name, "VeltSDK=%d", status);
        throw KrError(status, name, __FILE__, __LINE__);
    }
    // The monitor needs this long to take the tables.
    KrPlatformSleep(kUploadSettleMilliseconds);
}

void KrVeltDevice::InitCalibrationMode(double value, KrProgressObserver* progress)
{
    LogFormat(0, "KrVeltDevice::InitCalibrationMode %f", value);
    const int corrected = ::SDKDisplayCorrection(mode);
    LogFormat(0, "Velt: SDKDisplayCorrection(%d) -> %d", mode, corrected);
    ::ChangeMode(mode);
    LogFormat(0, "Velt: ChangeMode(%d)", mode);
    if (value >= 0.0) // a negative brightness, or NaN, stays unset
        SetBrightness(value);
    if (progress != nullptr)
        progress->ReportProgress(1.0);
}

void KrVeltDevice::ReapplySettings()
{
    ConnectMonitor(0);
    InitCalibrationMode(1.0, nullptr);
    const double savedBrightness = GetBrightness();
    const double red = GetRedGain();
    const double green = GetGreenGain();
    const double blue = GetBlueGain();
    SetBrightness(savedBrightness);
    SetRedGain(red);
    SetGreenGain(green);
    SetBlueGain(blue);
}

char* KrVeltDevice::SetNamedParameter(const char* name, const char* value, char* out, int32_t)
{
    if (name == nullptr)
        KR_RAISE(KrErrArgErr);
    if (value == nullptr)
        return out;
    // snprintf cuts what does not fit: "%3.1f" of a huge gamma runs to hundreds of digits.
    if (std::strcmp(name, "SetBaseGamma") == 0)
    {
        baseGamma = std::strtod(value, nullptr);
        if (out != nullptr)
            std::snprintf(out, kNamedParameterOutSize, "%3.1f", baseGamma);
    }
    else if (std::strcmp(name, "SetCalibrationAlert") == 0)
    {
        const int32_t hours = ReadInteger(value);
        ::Set_Calibration_Alert(hours);
        LogFormat(0, "Velt: Set_Calibration_Alert(%d)", hours);
        if (out != nullptr)
            std::snprintf(out, kNamedParameterOutSize, "%d", hours);
    }
    else if (std::strcmp(name, "SetOSDLock") == 0)
    {
        const bool lock = ReadInteger(value) != 0;
        if (lock)
            ::Lock_OSD();
        else
            ::Unlock_OSD();
        LogFormat(0, "Velt: %s", lock ? "Lock_OSD" : "Unlock_OSD");
    }
    else if (std::strcmp(name, "SetMaxBrightness") == 0)
    {
        const double steps = std::strtod(value, nullptr);
        maxBrightness = steps >= 1.0 ? steps : 1.0; // NaN too
        LogFormat(0, "KrVeltDevice::SetMaxBrightness %f", maxBrightness);
    }
    return out;
}

KrVeltDevice::~KrVeltDevice()
{
    KrVeltDevice::Disconnect();
}
