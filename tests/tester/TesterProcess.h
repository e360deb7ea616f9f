// Runs VeltTester as a user meets it: a child process fed from a string, its output captured, the
// emulated monitor's journal and state kept in the test's own temporary folder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A folder of the test's own, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Write(const std::string& name, const std::string& text) const;  // answers the full path
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

struct TesterLaunch {
    std::string input;
    Environment environment;  // on top of VELTDLL_JOURNAL and VELTDLL_STATE
    std::string program;      // empty: the built VeltTester next to its table files
    std::vector<std::string> arguments;
};

struct TesterRun {
    int status = -1;  // the shell's status: 0 for an exit code of 0
    std::string output;
    std::string errors;
    std::vector<std::string> journal;
};

// The emulator's journal and state file live in the folder as "journal.txt" and "state.txt".
TesterRun RunTester(const TempFolder& folder, const TesterLaunch& launch);

// Copies VeltTester into a subfolder of `folder` with the given table files beside it (name ->
// content) and answers the copy's path; runs of it find the emulator through LD_LIBRARY_PATH.
std::string InstallTesterCopy(const TempFolder& folder, const std::map<std::string, std::string>& files);

// Runs a shell command line in `folder` with its output going to `outputName` there; answers the
// shell's status.
int RunCommand(const TempFolder& folder, const std::string& command, const std::string& outputName);

std::string ShellQuoted(const std::string& text);

// The exact console text of a session that passed the start-up check: the start-up lines, then
// for each element the menu followed by that text.
std::string SessionOutput(const std::vector<std::string>& afterEachMenu);

std::string MenuText();  // the golden menu
extern const char* const kCompatibleStartUp;

// The journal of a session: the start-up check, then `calls`.
std::vector<std::string> SessionJournal(const std::vector<std::string>& calls);

// Numbers as "%.9g" text separated by single blanks, as the journal shows tables.
std::string JournalNumbers(const std::vector<float>& numbers);

// The whitespace-separated numbers of a text, parsed as floats.
std::vector<float> ParseNumbers(const std::string& text);

// The program's folder, ending with '/', where the built table files lie.
std::string ProgramFolder();
