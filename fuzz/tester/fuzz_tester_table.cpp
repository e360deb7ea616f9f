// Arbitrary bytes as one of VeltTester's table files.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "VeltTableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (!file)
        return 0;
    std::vector<float> numbers;
    for (const std::size_t count : {kVeltGammaTableSize, kVeltCalibrationTableSize}) {
        std::rewind(file);
        const VeltTableReading reading = ReadVeltTableNumbers(file, count, numbers);
        const bool complete = reading.status == VeltTableStatus::Complete;
        if (reading.found > count || numbers.size() != (complete ? count : 0))
            __builtin_trap();
        for (const float number : numbers)
            if (!std::isfinite(number))
                __builtin_trap();
    }
    std::fclose(file);
    return 0;
}
