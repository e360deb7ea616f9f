// VeltTester's entry point: finds the program's directory and hands the console to the tester.
#include <cstdio>
#include <cstring>
#include <string>

#include "KrPlatform/KrPlatform.h"
#include "VeltTableFile.h"
#include "VeltTester.h"

namespace {

void PrintUsage()
{
    std::fputs("Usage: VeltTester [--help]\n"
               "Interactive tester of the monitor SDK (VeltDLL): checks that the system is compatible,\n"
               "then calls one SDK function per menu entry chosen on standard input.\n"
               "\n"
               "Table files, read from the program's directory:\n",
               stdout);
    std::printf("  %s  %zu numbers (entry 38)\n", kVeltCalibrationTableFile, kVeltCalibrationTableSize);
    std::fputs(" ", stdout);
    for (const VeltGammaFile& file : kVeltGammaFiles)
        std::printf(" %s", file.name);
    std::printf("  %zu numbers each (entries 39 and 40)\n", kVeltGammaTableSize);
    std::fputs("\n"
               "The emulated VeltDLL reads these environment variables at every call:\n"
               "  VELTDLL_STATE             state file of the simulated monitor (default: kept in memory)\n"
               "  VELTDLL_JOURNAL           file that receives one line per SDK call\n"
               "  VELTDLL_COMPATIBLE        0 makes the system incompatible\n"
               "  VELTDLL_MONITOR_TYPE      the monitor type answered\n"
               "  VELTDLL_LUT_STATUS        the status of Set_RGB_LUT\n"
               "  VELTDLL_CALIBRATE_STATUS  the status of both calibrations\n"
               "  VELTDLL_WRITE_STATUS      the result of saving a calibration\n",
               stdout);
}

// The program's full path cut after its last separator, so that file names can be appended.
std::string ProgramDirectory()
{
    const std::string path = KrPlatformProgramPath();
    const std::size_t separator = path.rfind(KrPlatformPathSeparator());
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    // The tester takes no arguments; anything but --help is ignored.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
            return 0;
        }
    }
    return RunVeltTester(stdin, stdout, ProgramDirectory());
}
