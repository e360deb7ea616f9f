// The menu loop run in-process, for what a process cannot show: the system turning incompatible
// after the start-up check.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "TesterProcess.h"
#include "VeltTester.h"

namespace {

// Sets an environment variable for the emulator while the object lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~ScopedVariable() { unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
};

TEST(VeltTesterMenu, MonitorTypeOfAnIncompatibleSystem)
{
    TempFolder folder;
    const ScopedVariable journal("VELTDLL_JOURNAL", (folder.Path() / "journal.txt").string());
    const ScopedVariable incompatible("VELTDLL_COMPATIBLE", "0");
    std::FILE* in = std::fopen(folder.Write("stdin.txt", "50\n\n0\n").c_str(), "r");
    std::FILE* out = std::fopen((folder.Path() / "stdout.txt").c_str(), "w");
    ASSERT_TRUE(in && out);
    const int code = RunVeltTesterMenu(in, out, folder.Path().string() + "/");
    std::fclose(in);
    std::fclose(out);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(folder.Read("stdout.txt"),
              MenuText() + "System is not compatible............\nPress Enter to Continue\n" + MenuText());
    EXPECT_EQ(folder.Read("journal.txt"), "CheckCompatibleSystem() -> 0\n");
}

}  // namespace
