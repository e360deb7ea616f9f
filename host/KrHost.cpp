// KrHost: a stand-in for the colour-calibration application that loads the monitor plug-in.
// It lists the plug-in's modules, hands over its own log stream, creates one device and runs
// the operations given on the command line in order, as a calibration session would.
#include "KrHostCurveTrafo.h"
#include "KrHostCurves.h"
#include "KrPluginInterface.h"
#include "KrPluginLibrary.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace
{
const char* const kUsage =
    "Usage: KrHost [--plugin PATH] [--log FILE] [--class NAME] [--verbose] [--plot FILE.svg] [OPERATION...]\n"
    "\n"
    "Loads the monitor plug-in, lists the modules it registers, creates a device of class\n"
    "NAME (default KrVeltDevice) and runs the operations in order; the device is destroyed at\n"
    "the end. Only the results are printed, unless --verbose asks for more.\n"
    "\n"
    "Options:\n"
    "  --plugin PATH        the plug-in (default: lib/libKrVeltDeviceDLL.so beside bin/)\n"
    "  --log FILE           write the plug-in's log (the SDK trace) to FILE\n"
    "  --class NAME         the device class to create (KrVeltDevice, KrVeltSimulatorDevice)\n"
    "  --verbose            print progress, and the plug-in's log on standard error unless\n"
    "                       --log names a file\n"
    "  --plot FILE.svg      after the session, plot the tables of the last upload as they\n"
    "                       were requested (before a device's own base gamma)\n"
    "  --help               show this text\n"
    "\n"
    "Operations:\n"
    "  connect N            connect to display N; fails when the monitor does not answer\n"
    "  show                 print brightness, contrast and the red, green and blue gains\n"
    "  brightness X         set the brightness, a fraction of the monitor's maximum\n"
    "  contrast X           set the contrast, 0 to 1\n"
    "  red X, green X, blue X\n"
    "                       set a gain, 1.0 standing for 50 steps\n"
    "  calibration X        enter the calibration mode, then set brightness X unless negative\n"
    "  setting NAME VALUE   pass a named setting (SetBaseGamma, SetCalibrationAlert,\n"
    "                       SetOSDLock, SetMaxBrightness) and print what the device answers\n"
    "  reapply              reconnect to display 0 and write the monitor's settings back\n"
    "  gamma G              upload a calibration for gamma G (0 = L*, -4 = sRGB)\n"
    "  table FILE           upload the calibration of a text file: 256 lines \"r g b\", 0 to 1\n"
    "  profile FILE.icc     upload the calibration curves ('vcgt') of an ICC profile\n"
    "\n"
    "Exit status: 0 done, 1 a failure (plug-in, class, connect or a device error), 2 usage.\n";

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// The host's log stream: each write goes straight to a file or to standard error, or, without
// a file, nowhere.
class KrHostLogStream : public KrStream
{
public:
    KrHostLogStream(std::FILE* file, bool ownsFile) : file(file), ownsFile(ownsFile) {}
    ~KrHostLogStream() override
    {
        if (ownsFile)
            std::fclose(file);
    }

    void Write(const void* data, int32_t count, int32_t* written) override
    {
        if (file == nullptr)
        {
            if (written != nullptr)
                *written = count > 0 ? count : 0;
            return;
        }
        const size_t done = count > 0 ? std::fwrite(data, 1, size_t(count), file) : 0;
        std::fflush(file);
        if (written != nullptr)
            *written = int32_t(done);
    }

private:
    std::FILE* file;
    bool ownsFile;
};

class KrHostProgress : public KrProgressObserver
{
public:
    explicit KrHostProgress(bool shown) : shown(shown) {}
    void ReportProgress(double fractionDone) override
    {
        if (shown)
            std::printf("Progress %.0f%%\n", fractionDone * 100.0);
    }

private:
    bool shown;
};

// The whole word as a 32-bit whole number.
bool ParseInteger(const std::string& word, int32_t& value)
{
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || number < INT32_MIN || number > INT32_MAX)
        return false;
    value = int32_t(number);
    return true;
}

// The whole word as a floating-point number; NaN and infinities count as numbers.
bool ParseNumber(const std::string& word, double& value)
{
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0';
}

struct Failure
{
    std::string message;
};

using Arguments = std::vector<std::string>;

// The tables of an upload as the host requested them, for the plot.
struct Upload
{
    KrHostTables tables;
    std::string title;
};

// What the operations of one run share.
struct Session
{
    KrMonitorDevice& device;
    bool verbose;
    KrHostProgress progress;
    std::optional<Upload> lastUpload;
};

double NumberArgument(const Arguments& arguments)
{
    double value = 0.0;
    if (!ParseNumber(arguments[0], value))
        throw Failure{"not a number: " + arguments[0]};
    return value;
}

void Connect(Session& session, const Arguments& arguments)
{
    int32_t display = 0;
    if (!ParseInteger(arguments[0], display))
        throw Failure{"not a display number: " + arguments[0]};
    const int32_t result = session.device.ConnectMonitor(display);
    if (result != 0)
        throw Failure{"display " + arguments[0] + " did not connect (answer " + std::to_string(result) + ")"};
    std::printf("Connected to display %d\n", display);
}

void Show(Session& session, const Arguments&)
{
    std::printf("Brightness %f\n", session.device.GetBrightness());
    std::printf("Contrast %f\n", session.device.GetContrast());
    std::printf("Red gain %f\n", session.device.GetRedGain());
    std::printf("Green gain %f\n", session.device.GetGreenGain());
    std::printf("Blue gain %f\n", session.device.GetBlueGain());
}

// Sets one value and says so.
void SetValue(Session& session, const Arguments& arguments, void (KrMonitorDevice::*set)(double), const char* what)
{
    const double value = NumberArgument(arguments);
    (session.device.*set)(value);
    std::printf("%s set to %f\n", what, value);
}

void Calibration(Session& session, const Arguments& arguments)
{
    session.device.InitCalibrationMode(NumberArgument(arguments), &session.progress);
    std::printf("Calibration mode\n");
}

void Setting(Session& session, const Arguments& arguments)
{
    char answer[256] = "";
    session.device.SetNamedParameter(arguments[0].c_str(), arguments[1].c_str(), answer, 0);
    std::printf("Setting %s answered \"%s\"\n", arguments[0].c_str(), answer);
}

void Reapply(Session& session, const Arguments&)
{
    session.device.ReapplySettings();
    std::printf("Settings reapplied\n");
}

void SayUploading(const Session& session, const std::string& what)
{
    if (session.verbose)
    {
        std::printf("Uploading %s\n", what.c_str());
        std::fflush(stdout);
    }
}

void Gamma(Session& session, const Arguments& arguments)
{
    const double gamma = NumberArgument(arguments);
    SayUploading(session, "gamma " + arguments[0]);
    session.device.SetGammaCurve(gamma, &session.progress);
    std::printf("Gamma %f uploaded\n", gamma);
    try
    {
        session.lastUpload = Upload{KrGammaTables(gamma), "Calibration for gamma " + arguments[0]};
    }
    catch (const KrHostInputError& error)
    {
        session.lastUpload.reset();
        if (session.verbose)
            std::printf("%s\n", error.what());
    }
}

// Uploads tables through the host's own transform.
void UploadTables(Session& session, const KrHostTables& tables, const std::string& title)
{
    SayUploading(session, title);
    KrHostCurveTrafo transform(tables);
    session.device.SetRGBCalibration(&transform, &session.progress);
    session.lastUpload = Upload{tables, title};
}

void Table(Session& session, const Arguments& arguments)
{
    UploadTables(session, KrReadTableFile(arguments[0]), "Calibration table " + arguments[0]);
    std::printf("Table %s uploaded\n", arguments[0].c_str());
}

void Profile(Session& session, const Arguments& arguments)
{
    UploadTables(session, KrReadProfileCurves(arguments[0]), "Calibration of profile " + arguments[0]);
    std::printf("Profile %s uploaded\n", arguments[0].c_str());
}

struct Operation
{
    const char* word;
    size_t argumentCount;
    void (*run)(Session& session, const Arguments& arguments);
};

const Operation kOperations[] = {
    {"connect", 1, Connect},
    {"show", 0, Show},
    {"brightness", 1, [](Session& session, const Arguments& arguments)
     { SetValue(session, arguments, &KrMonitorDevice::SetBrightness, "Brightness"); }},
    {"contrast", 1, [](Session& session, const Arguments& arguments)
     { SetValue(session, arguments, &KrMonitorDevice::SetContrast, "Contrast"); }},
    {"red", 1, [](Session& session, const Arguments& arguments)
     { SetValue(session, arguments, &KrMonitorDevice::SetRedGain, "Red gain"); }},
    {"green", 1, [](Session& session, const Arguments& arguments)
     { SetValue(session, arguments, &KrMonitorDevice::SetGreenGain, "Green gain"); }},
    {"blue", 1, [](Session& session, const Arguments& arguments)
     { SetValue(session, arguments, &KrMonitorDevice::SetBlueGain, "Blue gain"); }},
    {"calibration", 1, Calibration},
    {"setting", 2, Setting},
    {"reapply", 0, Reapply},
    {"gamma", 1, Gamma},
    {"table", 1, Table},
    {"profile", 1, Profile},
};

// One operation of the command line with its words.
struct Step
{
    const Operation* operation;
    Arguments arguments;
};

struct Options
{
    std::string plugin = KrPluginLibrary::DefaultPath();
    std::string logFile;
    std::string className = "KrVeltDevice";
    std::string plotFile;
    bool verbose = false;
    std::vector<Step> steps;
    bool help = false;
};

const Operation* FindOperation(const std::string& word)
{
    for (const Operation& operation : kOperations)
        if (word == operation.word)
            return &operation;
    throw Failure{"unknown operation: " + word};
}

// Reads the command line; a Failure names what is wrong with it.
Options ParseCommandLine(int argc, char** argv)
{
    Options options;
    const Arguments words(argv + 1, argv + argc);
    size_t next = 0;
    auto take = [&](const std::string& after) {
        if (next >= words.size())
            throw Failure{"missing value after " + after};
        return words[next++];
    };
    while (next < words.size())
    {
        const std::string word = words[next++];
        if (word == "--help" || word == "-h")
            options.help = true;
        else if (word == "--plugin")
            options.plugin = take(word);
        else if (word == "--log")
            options.logFile = take(word);
        else if (word == "--class")
            options.className = take(word);
        else if (word == "--plot")
            options.plotFile = take(word);
        else if (word == "--verbose" || word == "-v")
            options.verbose = true;
        else
        {
            Step step{FindOperation(word), {}};
            while (step.arguments.size() < step.operation->argumentCount)
                step.arguments.push_back(take(word));
            options.steps.push_back(step);
        }
    }
    return options;
}

void PrintError(const std::string& what, const KrError& error)
{
    std::fprintf(stderr, "KrHost: %s failed: error %d %s", what.c_str(), error.Code(),
                 error.Name() != nullptr ? error.Name() : "(no name)");
    if (error.File() != nullptr)
        std::fprintf(stderr, " (%s, line %d)", error.File(), error.Line());
    std::fprintf(stderr, "\n");
}

int WritePlot(const std::string& path, const std::optional<Upload>& upload)
{
    if (!upload)
    {
        std::fprintf(stderr, "KrHost: no plot %s: no upload that can be plotted\n", path.c_str());
        return kFailed;
    }
    try
    {
        KrWritePlot(path, upload->tables, upload->title);
    }
    catch (const KrHostInputError& error)
    {
        std::fprintf(stderr, "KrHost: %s\n", error.what());
        return kFailed;
    }
    std::printf("Plot written to %s\n", path.c_str());
    return 0;
}

int RunSession(const Options& options)
{
    const KrPluginLibrary plugin(options.plugin);
    if (!plugin.IsLoaded())
    {
        std::fprintf(stderr, "KrHost: cannot load the plug-in %s: %s\n", options.plugin.c_str(), plugin.Error().c_str());
        return kFailed;
    }
    const std::vector<KrModule> modules = plugin.Modules();
    const KrModule* chosen = nullptr;
    for (const KrModule& module : modules)
    {
        std::printf("Module %s (%s)\n", module.className.c_str(), module.kindName.c_str());
        if (module.className == options.className && chosen == nullptr)
            chosen = &module;
    }
    if (chosen == nullptr)
    {
        std::fprintf(stderr, "KrHost: the plug-in offers no class %s\n", options.className.c_str());
        return kFailed;
    }

    std::FILE* logFile = options.verbose ? stderr : nullptr;
    if (!options.logFile.empty() && (logFile = std::fopen(options.logFile.c_str(), "w")) == nullptr)
    {
        std::fprintf(stderr, "KrHost: cannot write the log %s: %s\n", options.logFile.c_str(), std::strerror(errno));
        return kFailed;
    }
    KrPluginContext context{nullptr, nullptr, new KrHostLogStream(logFile, logFile != stderr && logFile != nullptr)};
    plugin.InitPlugin()(&context);

    int status = 0;
    KrMonitorDevice* device = chosen->create();
    Session session{*device, options.verbose, KrHostProgress(options.verbose), std::nullopt};
    for (const Step& step : options.steps)
    {
        try
        {
            step.operation->run(session, step.arguments);
        }
        catch (const Failure& failure)
        {
            std::fprintf(stderr, "KrHost: %s\n", failure.message.c_str());
            status = kFailed;
        }
        catch (const KrHostInputError& error)
        {
            std::fprintf(stderr, "KrHost: %s\n", error.what());
            status = kFailed;
        }
        catch (const KrError& error)
        {
            PrintError(step.operation->word, error);
            status = kFailed;
        }
        if (status != 0)
            break;
    }
    chosen->destroy(device);
    if (status == 0 && !options.plotFile.empty())
        status = WritePlot(options.plotFile, session.lastUpload);

    // Take the log stream back: the plug-in releases it and the log file is closed.
    const KrPluginContext noStream{nullptr, nullptr, nullptr};
    plugin.InitPlugin()(&noStream);
    return status;
}
}

int main(int argc, char** argv)
{
    Options options;
    try
    {
        options = ParseCommandLine(argc, argv);
    }
    catch (const Failure& failure)
    {
        std::fprintf(stderr, "KrHost: %s\n%s", failure.message.c_str(), kUsage);
        return kUsageError;
    }
    if (options.help)
    {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return RunSession(options);
}
