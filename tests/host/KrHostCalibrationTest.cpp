// KrHost as a calibration loader: its table and profile readers, its own transform, and whole
// uploads run as processes against the simulator and the emulated monitor, plus the demo.
#include "KrHostCurveTrafo.h"
#include "KrHostCurves.h"
#include "KrHostTestSupport.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
using Table = std::array<double, kHostLevels>;

double Level(int i) { return i / 255.0; }

// 256 lines "r g b" from three functions of the level.
std::string TableText(double (*red)(double), double (*green)(double), double (*blue)(double))
{
    std::string text = "# a calibration\n";
    char line[100];
    for (int i = 0; i < kHostLevels; ++i)
    {
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", red(Level(i)), green(Level(i)), blue(Level(i)));
        text += line;
    }
    return text;
}

double Identity(double x) { return x; }
double Square(double x) { return x * x; }
double Dip(double x) { return x > 0.5 && x < 0.6 ? 0.2 : x; } // falls after level 127
double Half(double x) { return x / 2; }

// A profile with 'vcgt' curves of gammas 1.8, 2.2 and 1.0, or without the tag.
void WriteProfile(const std::string& path, bool withCurves)
{
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    ASSERT_NE(profile, nullptr);
    cmsToneCurve* curves[3] = {cmsBuildGamma(nullptr, 1.8), cmsBuildGamma(nullptr, 2.2), cmsBuildGamma(nullptr, 1.0)};
    if (withCurves)
    {
        EXPECT_TRUE(cmsWriteTag(profile, cmsSigVcgtTag, curves));
    }
    EXPECT_TRUE(cmsSaveProfileToFile(profile, path.c_str()));
    cmsFreeToneCurveTriple(curves);
    cmsCloseProfile(profile);
}
const double kProfileGammas[3] = {1.8, 2.2, 1.0};

// The numbers of the first line whose first word is key, after its '=' (quotes dropped).
std::vector<double> NumbersOf(const std::string& text, const std::string& key)
{
    for (const std::string& line : SplitLines(text))
    {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first != key)
            continue;
        std::string rest = line.substr(line.find('=') + 1);
        for (char& c : rest)
            if (c == '"')
                c = ' ';
        std::istringstream numbers(rest);
        std::vector<double> values;
        for (double value; numbers >> value;)
            values.push_back(value);
        return values;
    }
    return {};
}

void ExpectTable(const std::vector<double>& stored, const std::function<double(int)>& expected, double tolerance)
{
    ASSERT_EQ(stored.size(), size_t(kHostLevels));
    for (int i = 0; i < kHostLevels; ++i)
        ASSERT_NEAR(stored[size_t(i)], expected(i), tolerance) << "level " << i;
}

// KrHost in folder/subfolder with no display and the emulator's journal and state there.
int RunHost(const KrTempFolder& folder, const std::string& subfolder, const std::string& arguments,
            const std::string& environment = "")
{
    std::filesystem::create_directories(folder.Path(subfolder));
    return RunInFolder(folder,
                       "env -u DISPLAY -u VELTDLL_LUT_STATUS VELTDLL_JOURNAL=journal.txt VELTDLL_STATE=state.txt " +
                           environment + " " + ShellQuoted(KR_HOST_PROGRAM) + " " + arguments,
                       subfolder);
}

std::string ReadIn(const KrTempFolder& folder, const std::string& subfolder, const std::string& name)
{
    return KrTempFolder::Read(folder.Path(subfolder + "/" + name));
}

TEST(KrHostCurves, ReadsATableFile)
{
    KrTempFolder folder;
    const std::string path = folder.Path("table.txt");
    KrTempFolder::Write(path, TableText(Identity, Square, Half) + "\n");
    const KrHostTables tables = KrReadTableFile(path);
    for (int i = 0; i < kHostLevels; ++i)
    {
        EXPECT_NEAR(tables[0][i], Level(i), 1e-9);
        EXPECT_NEAR(tables[1][i], Level(i) * Level(i), 1e-9);
        EXPECT_NEAR(tables[2][i], Level(i) / 2, 1e-9);
    }
}

TEST(KrHostCurves, NamesTheFileAndTheFaultOfABadTable)
{
    const std::string good = TableText(Identity, Identity, Identity);
    const std::string firstRows = good.substr(0, good.find("0.00392156863 0.00392156863"));
    const struct
    {
        const char* what;
        const char* contents; // null: no file
        std::string text;
        std::string message; // after the path
    } cases[] = {
        {"missing", nullptr, "", ": No such file or directory"},
        {"short", "", firstRows, " has 1 rows, not 256"},
        {"empty", "", "", " has 0 rows, not 256"},
        {"too long", "", good + "1 1 1\n", ", line 258: more than 256 rows"},
        {"two numbers", "", firstRows + "0.5 0.5\n", ", line 3: needs three numbers \"r g b\""},
        {"four numbers", "", firstRows + "0.5 0.5 0.5 0.5\n", ", line 3: more than three numbers"},
        {"a word", "", firstRows + "0.5 half 0.5\n", ", line 3: not a number from 0 to 1: half"},
        {"above 1", "", firstRows + "0.5 1.5 0.5\n", ", line 3: not a number from 0 to 1: 1.5"},
        {"negative", "", firstRows + "-0.1 0.5 0.5\n", ", line 3: not a number from 0 to 1: -0.1"},
        {"not finite", "", firstRows + "0.5 0.5 nan\n", ", line 3: not a number from 0 to 1: nan"},
    };
    KrTempFolder folder;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string path = folder.Path(std::string(c.what) + ".txt");
        if (c.contents != nullptr)
            KrTempFolder::Write(path, c.text);
        try
        {
            KrReadTableFile(path);
            ADD_FAILURE() << "read";
        }
        catch (const KrHostInputError& error)
        {
            const std::string message = error.what();
            EXPECT_NE(message.find(path + c.message), std::string::npos) << message;
        }
    }
}

TEST(KrHostCurves, ReadsTheCalibrationCurvesOfAProfile)
{
    KrTempFolder folder;
    const std::string path = folder.Path("display.icc");
    WriteProfile(path, true);
    const KrHostTables tables = KrReadProfileCurves(path);
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < kHostLevels; ++i)
            ASSERT_NEAR(tables[channel][i], std::pow(Level(i), kProfileGammas[channel]), 1e-3) << channel << " " << i;
}

TEST(KrHostCurves, NamesTheProfileThatCannotServe)
{
    KrTempFolder folder;
    const std::string plain = folder.Path("plain.icc");
    WriteProfile(plain, false);
    const std::string text = folder.Path("text.icc");
    KrTempFolder::Write(text, "not a profile\n");
    const struct
    {
        std::string path;
        std::string message;
    } cases[] = {
        {plain, "the ICC profile " + plain + " has no calibration curves (no 'vcgt' tag)"},
        {text, "cannot read the ICC profile " + text},
        {folder.Path("missing.icc"), "cannot read the ICC profile " + folder.Path("missing.icc")},
    };
    for (const auto& c : cases)
    {
        try
        {
            KrReadProfileCurves(c.path);
            ADD_FAILURE() << c.path;
        }
        catch (const KrHostInputError& error)
        {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(KrHostCurves, GammaRequestsAsTheCurvesDefineThem)
{
    const struct
    {
        double gamma;
        int level;
        double value;
    } cases[] = {
        {2.2, 128, std::pow(128 / 255.0, 2.2)},
        {0.0, 0, 0.0},
        {0.0, 255, 1.0},
        {0.0, 2, 2 / 255.0 * 100.0 * 27.0 / 24389.0}, // L* below 8 is linear
        {0.0, 100, std::pow((100 / 255.0 * 100.0 + 16.0) / 116.0, 3.0)},
        {-4.0, 5, 5 / 255.0 / 12.92},
        {-4.0, 255, 1.0},
    };
    for (const auto& c : cases)
    {
        const KrHostTables tables = KrGammaTables(c.gamma);
        for (const Table& table : tables)
            EXPECT_NEAR(table[size_t(c.level)], c.value, 1e-12) << c.gamma << " " << c.level;
    }
    for (double unknown : {-1.0, -4.5, std::nan("")})
        EXPECT_THROW(KrGammaTables(unknown), KrHostInputError) << unknown;
}

TEST(KrHostCurveTrafo, ReadsTheTablesBetweenEntriesAndWritesThroughAssign)
{
    KrHostTables tables{};
    for (int i = 0; i < kHostLevels; ++i)
    {
        tables[0][i] = Level(i) * Level(i);
        tables[1][i] = Level(i);
        tables[2][i] = 1.0 - Level(i);
    }
    const KrHostCurveTrafo transform(tables);
    const struct
    {
        double in[3];
        double out[3];
    } cases[] = {
        {{0, 255, 10}, {0, 255, 245}},
        {{127.5, 127.5, 127.5}, {255 * (tables[0][127] + tables[0][128]) / 2, 127.5, 127.5}},
        {{-3, 300, std::nan("")}, {0, 255, 255}}, // out of range and NaN go to the nearest end
    };
    for (const auto& c : cases)
    {
        KrHostVector vector; // in and out are the same object, as in an upload
        vector.SetSize(3);
        for (int k = 0; k < 3; ++k)
            vector.At(k) = c.in[k];
        transform.TransformInto(vector, vector);
        ASSERT_EQ(vector.GetSize(), 3);
        EXPECT_EQ(vector.GetType(), 0x52474220);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(vector.Get(k), c.out[k], 1e-9) << c.in[k];
    }
    KrHostVector shortVector;
    shortVector.SetSize(2);
    transform.TransformInto(shortVector, shortVector);
    EXPECT_EQ(shortVector.GetSize(), 2);
    EXPECT_EQ(transform.GetOutputSpace(0), 0x52474220);
}

// The simulator's state file from the checkout, in a subfolder of its own.
void PrepareSimulator(const KrTempFolder& folder, const std::string& subfolder)
{
    std::filesystem::create_directories(folder.Path(subfolder));
    std::filesystem::copy_file(KR_SOURCE_DIR "/host/MonitorSimulation.default.txt",
                               folder.Path(subfolder + "/MonitorSimulation.txt"));
}

TEST(KrHostSimulatorUpload, StoresTheRequestedTablesInTheStateFile)
{
    KrTempFolder folder;
    KrTempFolder::Write(folder.Path("table.txt"), TableText(Identity, Square, Dip));
    WriteProfile(folder.Path("display.icc"), true);
    const std::function<double(int)> dip = [](int i) { return i >= 128 && i <= 152 ? Level(127) : Level(i); };
    const struct
    {
        const char* what;
        std::string arguments;
        std::string title;
        std::function<double(int)> expected[3];
        double tolerance;
    } cases[] = {
        {"gamma", "gamma 2.2", "Calibration for gamma 2.2",
         {[](int i) { return std::pow(Level(i), 2.2); }, [](int i) { return std::pow(Level(i), 2.2); },
          [](int i) { return std::pow(Level(i), 2.2); }},
         1e-6},
        {"table", "table ../table.txt", "Calibration table ../table.txt",
         {[](int i) { return Level(i); }, [](int i) { return Level(i) * Level(i); }, dip},
         1e-6},
        {"profile", "profile ../display.icc", "Calibration of profile ../display.icc",
         {[](int i) { return std::pow(Level(i), 1.8); }, [](int i) { return std::pow(Level(i), 2.2); },
          [](int i) { return Level(i); }},
         1e-3},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        PrepareSimulator(folder, c.what);
        ASSERT_EQ(RunHost(folder, c.what,
                          "--class KrVeltSimulatorDevice --plot plot.svg connect 0 brightness 0.5 " + c.arguments),
                  0)
            << ReadIn(folder, c.what, "err.txt");
        const std::string state = ReadIn(folder, c.what, "MonitorSimulation.txt");
        const char* const keys[] = {"_RLUT", "_GLUT", "_BLUT"};
        for (int channel = 0; channel < 3; ++channel)
            ExpectTable(NumbersOf(state, keys[channel]), c.expected[channel], c.tolerance);
        EXPECT_EQ(NumbersOf(state, "_Brightness"), std::vector<double>{0.5});
        EXPECT_EQ(ReadIn(folder, c.what, "err.txt"), "");
        EXPECT_EQ(ReadIn(folder, c.what, "journal.txt"), ""); // the simulator never calls the SDK

        const std::string plot = ReadIn(folder, c.what, "plot.svg");
        EXPECT_EQ(plot.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
        EXPECT_NE(plot.find(">" + c.title + "</text>"), std::string::npos);
        for (const char* colour : {"red", "green", "blue"})
            EXPECT_NE(plot.find("<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" points=\""),
                      std::string::npos);
        EXPECT_EQ(plot.substr(plot.size() - 7), "</svg>\n");
    }
}

// One upload on the emulated monitor: the tables land in its state, raised to the device's
// base gamma of 2. This run waits the monitor's three seconds.
TEST(KrHostDeviceUpload, LoadsAProfileIntoTheEmulatedMonitor)
{
    KrTempFolder folder;
    WriteProfile(folder.Path("display.icc"), true);
    ASSERT_EQ(RunHost(folder, "run", "connect 0 profile ../display.icc"), 0) << ReadIn(folder, "run", "err.txt");
    EXPECT_EQ(ReadIn(folder, "run", "out.txt"),
              "Module KrVeltDevice (KrMonitorDevice)\nModule KrVeltSimulatorDevice (KrMonitorDevice)\n"
              "Connected to display 0\nProfile ../display.icc uploaded\n");
    const std::string state = ReadIn(folder, "run", "state.txt");
    const char* const keys[] = {"0.lut.4.red", "0.lut.4.green", "0.lut.4.blue"};
    for (int channel = 0; channel < 3; ++channel)
        ExpectTable(NumbersOf(state, keys[channel]),
                    [&](int i) { return std::pow(Level(i), 2.0 * kProfileGammas[channel]); }, 1e-3);
}

TEST(KrHostBadInput, FailsPlainlyAndLeavesTheFilesAlone)
{
    const std::string defaults = KrTempFolder::Read(KR_SOURCE_DIR "/host/MonitorSimulation.default.txt");
    const struct
    {
        const char* what;
        const char* state; // null: no state file
        std::string arguments;
        std::string error; // the first line of standard error
    } cases[] = {
        {"no state file", nullptr, "--class KrVeltSimulatorDevice connect 0", "KrHost: connect failed: error 12 "},
        {"no display slots", "Monitor = \n{\n\tVeltPort = 0\n}\n", "--class KrVeltSimulatorDevice connect 0",
         "KrHost: connect failed: error 43 KrIOErr "},
        {"no VeltPort", "Display0 = Monitor\nMonitor = \n{\n\tBrightness = 0.5\n}\n",
         "--class KrVeltSimulatorDevice connect 0", "KrHost: connect failed: error 43 KrIOErr "},
        {"a malformed file", "}\n", "--class KrVeltSimulatorDevice connect 0", "KrHost: connect failed: error "},
        {"another display", defaults.c_str(), "--class KrVeltSimulatorDevice connect 1",
         "KrHost: connect failed: error 43 KrIOErr "},
        {"a missing table", defaults.c_str(), "--class KrVeltSimulatorDevice connect 0 table missing.txt",
         "KrHost: cannot read the table file missing.txt: No such file or directory"},
        {"a short table", defaults.c_str(), "--class KrVeltSimulatorDevice connect 0 table MonitorSimulation.txt",
         "KrHost: MonitorSimulation.txt, line 1: not a number from 0 to 1: Display0"},
        {"a profile without curves", defaults.c_str(), "connect 0 profile ../plain.icc",
         "KrHost: the ICC profile ../plain.icc has no calibration curves (no 'vcgt' tag)"},
        {"a plot without an upload", defaults.c_str(), "--plot plot.svg connect 0",
         "KrHost: no plot plot.svg: no upload that can be plotted"},
    };
    KrTempFolder folder;
    WriteProfile(folder.Path("plain.icc"), false);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directories(folder.Path(c.what));
        if (c.state != nullptr)
            KrTempFolder::Write(folder.Path(std::string(c.what) + "/MonitorSimulation.txt"), c.state);
        EXPECT_EQ(RunHost(folder, c.what, c.arguments), 1);
        const Lines err = SplitLines(ReadIn(folder, c.what, "err.txt"));
        ASSERT_EQ(err.size(), 1u);
        EXPECT_EQ(err[0].rfind(c.error, 0), 0u) << err[0];
        EXPECT_EQ(ReadIn(folder, c.what, "journal.txt").find("Set_RGB_LUT"), std::string::npos);
        if (c.state != nullptr && c.state != defaults.c_str())
        {
            EXPECT_EQ(ReadIn(folder, c.what, "MonitorSimulation.txt"), c.state);
        }
        EXPECT_FALSE(std::filesystem::exists(folder.Path(std::string(c.what) + "/plot.svg")));
    }
}

// The demo on this build: both calibrations, the stored tables' ends, and the files it names.
// It waits the emulated monitor's three seconds once.
TEST(KrHostDemo, RunsBothCalibrations)
{
    KrTempFolder folder;
    const std::string build = std::filesystem::path(KR_HOST_PROGRAM).parent_path().parent_path().string();
    ASSERT_EQ(RunInFolder(folder, "TMPDIR=" + ShellQuoted(folder.Path()) + " KR_DEMO_BUILD=" + ShellQuoted(build) + " " +
                                      ShellQuoted(KR_SOURCE_DIR "/scripts/demo")),
              0)
        << KrTempFolder::Read(folder.Path("err.txt"));
    const Lines out = SplitLines(KrTempFolder::Read(folder.Path("out.txt")));
    const auto has = [&](const std::string& line) { return std::find(out.begin(), out.end(), line) != out.end(); };
    for (const char* line : {"_RLUT first 0.000000 last 1.000000", "_GLUT first 0.000000 last 1.000000",
                             "_BLUT first 0.000000 last 1.000000", "Plot written to simulator-gamma-2.2.svg",
                             "Plot written to device-gamma-2.2.svg", "SaveBrighntessForMode(75, 4) -> 1",
                             "The Value of Brightness is = 75"})
        EXPECT_TRUE(has(line)) << line;
    bool uploaded = false;
    for (const std::string& line : out)
        uploaded = uploaded || (line.rfind("Set_RGB_LUT([0 ", 0) == 0 && line.find("], 4) -> 1") != std::string::npos);
    EXPECT_TRUE(uploaded);
    EXPECT_EQ(KrTempFolder::Read(folder.Path("err.txt")), "");

    // The demo keeps its folder and says where it is.
    std::string work;
    for (const std::string& line : out)
        if (line.rfind("== Files in ", 0) == 0)
            work = line.substr(12);
    ASSERT_EQ(std::filesystem::path(work).parent_path(), std::filesystem::path(folder.Path()));
    for (const char* name : {"MonitorSimulation.txt", "simulator-gamma-2.2.svg", "device-gamma-2.2.svg",
                             "monitor-state.txt", "journal.txt", "simulator.log", "device.log"})
        EXPECT_TRUE(std::filesystem::exists(work + "/" + name)) << name;
}
}
