// Arbitrary console input to VeltTester, against the emulated monitor kept in this process.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "VeltEmulatorControl.h"
#include "VeltTester.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::FILE* const discarded = std::fopen("/dev/null", "w");
    if (size == 0 || !discarded)
        return 0;
    std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (!in)
        return 0;
    VeltEmu_Reset();  // every input meets the same monitor
    RunVeltTester(in, discarded, VELT_TESTER_TABLE_FOLDER);
    std::fclose(in);
    return 0;
}
