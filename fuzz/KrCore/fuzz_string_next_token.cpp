// NextToken over arbitrary bytes, quoted and not, with the default or a given delimiter set.
// Every call moves the position forward until the text is used up; an unquoted token never
// holds a delimiter.
#include "KrCore/KrString.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool quoted = (data[0] & 1) != 0;
    const size_t setLength = (data[0] >> 1) % 4; // 0: the default set
    if (size < 1 + setLength)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const KrString set(bytes + 1, static_cast<int32_t>(setLength), true);
    const KrString text(bytes + 1 + setLength, static_cast<int32_t>(size - 1 - setLength), true);

    int32_t position = 0;
    for (;;)
    {
        const int32_t before = position;
        const KrString token = text.NextToken(position, set, quoted);
        if (position < before || position > text.Length())
            std::abort();
        if (token.IsEmpty())
            break;
        if (position == before || token.Length() > position - before)
            std::abort();
        if (!quoted || token.Text()[0] != '"')
        {
            for (int32_t i = 0; i < token.Length(); ++i)
            {
                if (KrString::IsDelimiter(token.Text()[i], set))
                    std::abort();
            }
        }
    }
    if (position != text.Length())
        std::abort();
    return 0;
}
