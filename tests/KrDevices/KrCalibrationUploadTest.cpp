#include "KrDeviceTestSupport.h"

#include "../KrCore/KrExpectError.h"
#include "KrColor/KrColorSpace.h"
#include "KrCore/KrError.h"
#include "KrDevices/KrCalibrationTables.h"
#include "KrDevices/KrVeltDevice.h"
#include "KrMath/KrTrafo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kLevels = KrCalibrationTables::kLevels;
const char* const kChannelNames[] = {"red", "green", "blue"};

// Component channel of the transform's answer for a grey level.
using Component = std::function<double(int level, int channel)>;

// Answers component() for each level and remembers what it was given, so tests see the order
// of the calls and the vector they arrive on.
class ScriptedTransform : public KrTrafo
{
public:
    explicit ScriptedTransform(Component component) : component(std::move(component)) {}

    void TransformInto(const KrVectorData& in, KrVectorData& out) const override
    {
        levels.push_back(in.Get(0));
        sameVector = sameVector && &in == &out && (vector == nullptr || vector == &in);
        vector = &in;
        EXPECT_EQ(in.GetSize(), 3);
        EXPECT_EQ(in.GetType(), KrSignature("RGB "));
        const int level = static_cast<int>(in.Get(0));
        for (int channel = 0; channel < 3; ++channel)
        {
            EXPECT_EQ(in.Get(channel), level);
            out.At(channel) = component(level, channel);
        }
    }

    Component component;
    mutable std::vector<double> levels;
    mutable bool sameVector = true;
    mutable const KrVectorData* vector = nullptr;
};

// Waits asked of the platform while a test runs; nothing sleeps.
std::vector<int64_t> waits;

void RecordWait(int64_t milliseconds)
{
    waits.push_back(milliseconds);
}

double Identity(int level, int)
{
    return level;
}

class GammaDevice : public KrVeltDevice
{
public:
    double Brightness() const { return brightness; }
    void SetBaseGamma(const char* gamma) { SetNamedParameter("SetBaseGamma", gamma, nullptr, 0); }
};

class KrCalibrationUploadTest : public KrDeviceTest
{
protected:
    void SetUp() override
    {
        KrDeviceTest::SetUp();
        waits.clear();
        previousSleeper = KrPlatformSetSleeper(RecordWait);
    }

    void TearDown() override
    {
        KrPlatformSetSleeper(previousSleeper);
        KrDeviceTest::TearDown();
    }

    // The table the monitor holds for the calibration mode; empty when none was loaded.
    static std::vector<float> Uploaded(int channel)
    {
        std::vector<float> table(kLevels);
        const std::string key = std::string("0.lut.4.") + kChannelNames[channel];
        if (VeltEmu_GetTable(key.c_str(), table.data()) != 1)
            table.clear();
        return table;
    }

    // Journal lines that start with call.
    Lines Calls(const Lines& journal, const std::string& call)
    {
        Lines found;
        for (const std::string& line : journal)
            if (line.compare(0, call.size(), call) == 0)
                found.push_back(line);
        return found;
    }

    GammaDevice device;
    KrScopedEnvironment lutStatus{"VELTDLL_LUT_STATUS", nullptr};

private:
    KrPlatformSleeper previousSleeper = nullptr;
};

struct UploadCase
{
    const char* name;
    const char* baseGamma;
    Component component;
    // The table value expected for a level and channel.
    std::function<float(int level, int channel)> expected;
};

float Power(double x, double gamma)
{
    return static_cast<float>(std::pow(x, gamma));
}

const UploadCase kUploadCases[] = {
    {"identity, squared", "2.0", Identity, [](int i, int) { return Power(i / 255.0, 2.0); }},
    {"channels apart, gamma 1", "1.0", [](int i, int c) { return i / double(1 << c); },
     [](int i, int c) { return Power(i / 255.0 / double(1 << c), 1.0); }},
    // Green is negative everywhere, red only at level 10, where the rule then repeats level 9.
    {"negatives become 0", "1.0", [](int i, int c) { return c == 1 || (c == 0 && i == 10) ? -3.0 * i - 1 : i; },
     [](int i, int c) { return c == 1 ? 0.0f : Power((c == 0 && i == 10 ? 9 : i) / 255.0, 1.0); }},
    {"a falling red step repeats its predecessor", "2.0", [](int i, int c) { return c == 0 && i == 100 ? 50.0 : i; },
     [](int i, int c) { return Power((c == 0 && i == 100 ? 99 : i) / 255.0, 2.0); }},
    {"values above 1 stay", "2.0", [](int i, int) { return 2.0 * i; }, [](int i, int) { return Power(2.0 * i / 255.0, 2.0); }},
};

TEST_F(KrCalibrationUploadTest, UploadsTheSampledTablesRaisedToTheBaseGamma)
{
    for (const UploadCase& upload : kUploadCases)
    {
        SCOPED_TRACE(upload.name);
        VeltEmu_Reset();
        device.SetBaseGamma(upload.baseGamma);
        ScriptedTransform transform(upload.component);
        device.SetRGBCalibration(&transform, nullptr);

        ASSERT_EQ(transform.levels.size(), size_t(kLevels));
        for (int level = 0; level < kLevels; ++level)
            ASSERT_EQ(transform.levels[level], level);
        EXPECT_TRUE(transform.sameVector);
        for (int channel = 0; channel < 3; ++channel)
        {
            const std::vector<float> table = Uploaded(channel);
            ASSERT_EQ(table.size(), size_t(kLevels)) << kChannelNames[channel];
            for (int level = 0; level < kLevels; ++level)
                ASSERT_EQ(table[level], upload.expected(level, channel)) << kChannelNames[channel] << " " << level;
        }
    }
}

TEST_F(KrCalibrationUploadTest, GammaCurveIsUploadedTimesTheBaseGamma)
{
    device.SetGammaCurve(0.5, nullptr);
    for (int channel = 0; channel < 3; ++channel)
    {
        const std::vector<float> table = Uploaded(channel);
        ASSERT_EQ(table.size(), size_t(kLevels));
        for (int level = 0; level < kLevels; ++level)
            ASSERT_NEAR(table[level], level / 255.0, 1e-6) << kChannelNames[channel] << " " << level;
        EXPECT_EQ(table[0], 0.0f);
        EXPECT_EQ(table[255], 1.0f);
    }
    EXPECT_EQ(waits, std::vector<int64_t>{3000});
}

TEST_F(KrCalibrationUploadTest, ReadsAnUnknownBrightnessBackOnceAndSavesItForTheMode)
{
    ASSERT_EQ(VeltEmu_SetValue("0.brightness", 37), 1);
    ScriptedTransform transform(Identity);
    Settle();
    device.SetRGBCalibration(&transform, nullptr);

    EXPECT_EQ(device.Brightness(), 0.37);
    EXPECT_EQ(TakeLog(), (Lines{"KrVeltDevice::SetRGBCalibration", "Velt: GetBrightness -> 37",
                                "KrVeltDevice::GetBrightness -> 0.370000", "Velt: Set_RGB_LUT(..., 4) -> 1",
                                "Velt: SaveBrightnessForMode( 37, 4) -> 1"}));
    const Lines journal = TakeJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[0], "GetBrightness() -> 37");
    EXPECT_EQ(journal[1].compare(0, 14, "Set_RGB_LUT([0"), 0) << journal[1];
    EXPECT_EQ(journal[1].substr(journal[1].size() - 10), "], 4) -> 1") << journal[1];
    EXPECT_EQ(journal[2], "SaveBrighntessForMode(37, 4) -> 1");
    EXPECT_EQ(waits, std::vector<int64_t>{3000});

    // Known now: the next upload saves it without asking.
    ASSERT_EQ(VeltEmu_SetValue("0.brightness", 90), 1);
    device.SetRGBCalibration(&transform, nullptr);
    EXPECT_TRUE(Calls(TakeJournal(), "GetBrightness").empty());
    int saved = -1;
    EXPECT_EQ(VeltEmu_GetValue("0.savedBrightness.4", &saved), 1);
    EXPECT_EQ(saved, 37);
}

TEST_F(KrCalibrationUploadTest, AFailedUploadSavesTheBrightnessAndRaisesTheSdkStatusWithoutWaiting)
{
    struct
    {
        const char* status;
        int code;
        const char* name;
        bool logged;
    } const failures[] = {{"7", 7, "VeltSDK=7", true}, {"0", 0, "VeltSDK=0", false}};

    device.SetBrightness(0.5);
    for (const auto& failure : failures)
    {
        SCOPED_TRACE(failure.status);
        KrScopedEnvironment status{"VELTDLL_LUT_STATUS", failure.status};
        Settle();
        try
        {
            device.SetGammaCurve(2.2, nullptr);
            ADD_FAILURE() << "nothing raised";
        }
        catch (const KrError& error)
        {
            EXPECT_EQ(error.Code(), failure.code);
            EXPECT_STREQ(error.Name(), failure.name);
            EXPECT_STREQ(error.File(), "VeltDevice.cpp");
        }
        Lines expectedLog{"KrVeltDevice::SetRGBCalibration", std::string("Velt: Set_RGB_LUT(..., 4) -> ") + failure.status,
                          "Velt: SaveBrightnessForMode( 50, 4) -> 1"};
        const Lines log = TakeLog();
        ASSERT_EQ(log.size(), expectedLog.size() + (failure.logged ? 1 : 0));
        EXPECT_EQ(Lines(log.begin(), log.begin() + 3), expectedLog);
        if (failure.logged)
        {
            EXPECT_EQ(log[3].compare(0, 29, "Error: 7 \"VeltSDK=7\", file \"V"), 0) << log[3];
        }
        EXPECT_EQ(Calls(TakeJournal(), "SaveBrighntessForMode"), Lines{"SaveBrighntessForMode(50, 4) -> 1"});
        EXPECT_TRUE(waits.empty());
    }
}

TEST_F(KrCalibrationUploadTest, RejectsValuesThatAreNotFiniteBeforeAnythingReachesTheMonitor)
{
    struct
    {
        const char* name;
        const char* baseGamma;
        Component component;
    } const cases[] = {
        {"NaN", "2.0", [](int i, int c) { return c == 2 && i == 128 ? kNaN : i; }},
        {"infinity", "2.0", [](int i, int c) { return c == 0 && i == 255 ? kInfinity : i; }},
        {"minus infinity", "2.0", [](int i, int c) { return c == 1 && i == 0 ? -kInfinity : i; }},
        {"NaN under gamma 0", "0", [](int i, int c) { return c == 0 && i == 3 ? kNaN : i; }},
        {"beyond the float range", "2.0", [](int i, int c) { return c == 0 && i == 7 ? 1e300 : i; }},
        {"gamma NaN", "nan", Identity},
    };

    device.SetBrightness(0.5);
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(bad.name);
        device.SetBaseGamma(bad.baseGamma);
        ScriptedTransform transform(bad.component);
        Settle();
        EXPECT_RAISES(device.SetRGBCalibration(&transform, nullptr), KrErrArgErr);
        EXPECT_EQ(TakeJournal(), Lines{});
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_TRUE(Uploaded(channel).empty());
        EXPECT_TRUE(waits.empty());
    }
}

TEST_F(KrCalibrationUploadTest, ErrorsOfTheTransformPassOnBeforeAnyUpload)
{
    device.SetBrightness(0.5);
    Settle();
    ScriptedTransform failing([](int i, int) -> double {
        if (i == 20)
            KR_RAISE(KrErrDimMismatch);
        return i;
    });
    EXPECT_RAISES(device.SetRGBCalibration(&failing, nullptr), KrErrDimMismatch);
    EXPECT_RAISES(device.SetRGBCalibration(nullptr, nullptr), KrErrArgErr);
    EXPECT_EQ(TakeJournal(), Lines{});
    EXPECT_TRUE(waits.empty());
}

TEST(KrCalibrationTables, PlainTablesKeepTheDividedValuesAndOnlyRiseOrStay)
{
    ScriptedTransform transform([](int i, int c) { return c == 0 && i == 11 ? -4.0 : c == 2 ? 300.0 : i; });
    KrCalibrationTables tables;
    KrBuildPlainTables(transform, tables);
    for (int level = 0; level < kLevels; ++level)
    {
        // Red falls below zero at 11 and repeats level 10 there.
        EXPECT_EQ(tables.values[0][level], static_cast<float>((level == 11 ? 10 : level) / 255.0)) << level;
        EXPECT_EQ(tables.values[1][level], static_cast<float>(level / 255.0)) << level;
        EXPECT_EQ(tables.values[2][level], static_cast<float>(300.0 / 255.0)) << level;
    }
    ScriptedTransform broken([](int i, int) { return i == 40 ? kNaN : i; });
    EXPECT_RAISES(KrBuildPlainTables(broken, tables), KrErrArgErr);
}
}
