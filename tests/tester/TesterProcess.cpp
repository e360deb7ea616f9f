#include "TesterProcess.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Variables of the emulator that the test's own environment must not leak into a run.
constexpr const char* kEmulatorVariables[] = {
    "VELTDLL_STATE",      "VELTDLL_JOURNAL",          "VELTDLL_COMPATIBLE",   "VELTDLL_MONITOR_TYPE",
    "VELTDLL_LUT_STATUS", "VELTDLL_CALIBRATE_STATUS", "VELTDLL_WRITE_STATUS",
};

// A run that hangs is a failure, not a stuck test suite.
constexpr const char* kTimeLimit = "timeout 60 ";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TempFolder::TempFolder()
{
    std::random_device random;
    for (;;) {
        path_ = fs::temp_directory_path() / ("velt-tester-" + std::to_string(random()));
        if (fs::create_directory(path_))
            return;
    }
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const
{
    const fs::path path = path_ / name;
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush())
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string TempFolder::Read(const std::string& name) const
{
    return ReadFile(path_ / name);
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunCommand(const TempFolder& folder, const std::string& command, const std::string& outputName)
{
    const std::string line = "cd " + ShellQuoted(folder.Path().string()) + " && " + command + " > " +
                             ShellQuoted((folder.Path() / outputName).string());
    return std::system(line.c_str());
}

TesterRun RunTester(const TempFolder& folder, const TesterLaunch& launch)
{
    const fs::path& dir = folder.Path();
    folder.Write("stdin.txt", launch.input);
    std::string command = "env";
    for (const char* variable : kEmulatorVariables)
        command += std::string(" -u ") + variable;
    Environment environment = {{"VELTDLL_JOURNAL", (dir / "journal.txt").string()},
                               {"VELTDLL_STATE", (dir / "state.txt").string()}};
    if (!launch.program.empty())
        environment.push_back({"LD_LIBRARY_PATH", VELTDLL_LIBRARY_DIR});
    environment.insert(environment.end(), launch.environment.begin(), launch.environment.end());
    for (const auto& [name, value] : environment)
        command += " " + name + "=" + ShellQuoted(value);
    command += std::string(" ") + kTimeLimit + ShellQuoted(launch.program.empty() ? VELT_TESTER_PROGRAM : launch.program);
    for (const std::string& argument : launch.arguments)
        command += " " + ShellQuoted(argument);
    command += " < " + ShellQuoted((dir / "stdin.txt").string()) + " 2> " + ShellQuoted((dir / "stderr.txt").string());

    TesterRun run;
    run.status = RunCommand(folder, command, "stdout.txt");
    run.output = folder.Read("stdout.txt");
    run.errors = folder.Read("stderr.txt");
    run.journal = Lines(folder.Read("journal.txt"));
    return run;
}

std::string InstallTesterCopy(const TempFolder& folder, const std::map<std::string, std::string>& files)
{
    const fs::path app = folder.Path() / "app";
    fs::create_directory(app);
    const fs::path program = app / "VeltTester";
    fs::copy_file(VELT_TESTER_PROGRAM, program);
    for (const auto& [name, content] : files)
        folder.Write("app/" + name, content);
    return program.string();
}

const char* const kCompatibleStartUp = "Checking System Compatibility!\nSystem is compatible.................\n";

std::string MenuText()
{
    static const std::string menu = ReadFile(VELT_TESTER_MENU_FILE);
    return menu;
}

std::string SessionOutput(const std::vector<std::string>& afterEachMenu)
{
    std::string output = kCompatibleStartUp;
    for (const std::string& text : afterEachMenu)
        output += MenuText() + text;
    return output;
}

std::vector<std::string> SessionJournal(const std::vector<std::string>& calls)
{
    std::vector<std::string> journal = {"CheckCompatibleSystem() -> 1"};
    journal.insert(journal.end(), calls.begin(), calls.end());
    return journal;
}

std::string JournalNumbers(const std::vector<float>& numbers)
{
    std::string text;
    char number[32];
    for (const float value : numbers) {
        std::snprintf(number, sizeof number, "%.9g", static_cast<double>(value));
        text += (text.empty() ? "" : " ") + std::string(number);
    }
    return text;
}

std::vector<float> ParseNumbers(const std::string& text)
{
    std::vector<float> numbers;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        numbers.push_back(std::strtof(word.c_str(), nullptr));
    return numbers;
}

std::string ProgramFolder()
{
    return fs::path(VELT_TESTER_PROGRAM).parent_path().string() + "/";
}
