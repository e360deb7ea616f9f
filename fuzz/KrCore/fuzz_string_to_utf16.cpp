// ToUtf16 of arbitrary bytes yields at most one unit per byte, zero-terminated; valid UTF-8 of
// code points below 0x10000 comes back unchanged through ToUtf8.
#include "KrCore/KrString.h"

#include <cstdlib>
#include <cstring>

namespace
{
// Strict UTF-8 (shortest forms, no surrogates) of code points from 1 to 0xFFFF.
bool IsBmpUtf8(const unsigned char* s, size_t size)
{
    for (size_t i = 0; i < size;)
    {
        const unsigned char b = s[i];
        size_t more = 0;
        uint32_t value = 0;
        if (b >= 0x01 && b < 0x80)
            value = b;
        else if (b >= 0xC2 && b < 0xE0)
            more = 1, value = b & 0x1Fu;
        else if (b >= 0xE0 && b < 0xF0)
            more = 2, value = b & 0x0Fu;
        else
            return false;
        if (i + more >= size)
            return false;
        for (size_t k = 1; k <= more; ++k)
        {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (s[i + k] & 0x3Fu);
        }
        if ((more == 2 && value < 0x800) || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += 1 + more;
    }
    return true;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const KrString bytes(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), true);
    const KrString utf16 = bytes.ToUtf16();
    const size_t textLength = std::strlen(bytes.Text());
    const int32_t length = utf16.Length();
    if (!utf16.IsRaw() || length % 2 != 0 || static_cast<size_t>(length) > 2 * textLength)
        std::abort();
    if (utf16.CharAt(length) != 0 || utf16.CharAt(length + 1) != 0)
        std::abort();

    if (IsBmpUtf8(data, size))
    {
        const KrString text(bytes.Text());
        if (!(utf16.ToUtf8() == text))
            std::abort();
    }
    return 0;
}
