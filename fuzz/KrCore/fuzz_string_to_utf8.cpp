// ToUtf8 of arbitrary 16-bit units (lone surrogates, odd byte counts) stays within three bytes a
// unit; units without a zero come back unchanged through ToUtf16.
#include "KrCore/KrString.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const KrString units(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), true);
    const KrString utf8 = units.ToUtf8();
    const int32_t count = units.Length() / 2;
    if (utf8.IsRaw() || utf8.Length() > 3 * count)
        std::abort();

    bool hasZeroUnit = false;
    for (int32_t i = 0; i < count; ++i)
        hasZeroUnit = hasZeroUnit || (data[2 * i] == 0 && data[2 * i + 1] == 0);
    if (count > 0 && !hasZeroUnit)
    {
        const KrString back = utf8.ToUtf16();
        if (back.Length() != 2 * count || std::memcmp(back.Text(), data, 2 * static_cast<size_t>(count)) != 0)
            std::abort();
    }
    return 0;
}
