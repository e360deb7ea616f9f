// KrHost's table files on arbitrary bytes: three tables of values in 0..1, or a KrHostInputError.
#include "KrHostCurves.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The fuzz runner works in a folder of its own.
    static const std::string path = "fuzz-host-table.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    try
    {
        const KrHostTables tables = KrReadTableFile(path);
        for (const auto& channel : tables)
            for (double value : channel)
                if (!(value >= 0.0 && value <= 1.0))
                    std::abort();
    }
    catch (const KrHostInputError&)
    {
    }
    std::remove(path.c_str());
    return 0;
}
