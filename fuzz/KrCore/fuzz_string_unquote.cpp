// Unquote of arbitrary bytes either raises KrFormatErr or gives a string no longer than the
// input; Quote then Unquote gives back any text without zero bytes.
#include "KrCore/KrError.h"
#include "KrCore/KrString.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const KrString bytes(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), true);
    try
    {
        if (bytes.Unquote().Length() > bytes.Length())
            std::abort();
    }
    catch (const KrError& error)
    {
        if (error.Code() != KrErrFormatErr.code)
            std::abort();
    }

    const KrString text(bytes.Text()); // up to the first zero byte
    if (!(text.Quote().Unquote() == text))
        std::abort();
    return 0;
}
