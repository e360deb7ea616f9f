// ParseText of any bytes ends in its entries, KrFormatErr or KrIndexError. Entries that the
// text form can carry read back unchanged from their ToText.
#include "KrDataBaseFuzz.h"

#include "KrCore/KrError.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const bool raw = std::memchr(bytes, '\0', size) != nullptr; // as a file is read
    const KrString text(bytes, static_cast<int32_t>(size), raw);
    KrDataBase db;
    try
    {
        db.ParseText(text);
    }
    catch (const KrError& error)
    {
        if (error.Code() != KrErrFormatErr.code && error.Code() != KrErrIndexError.code)
            std::abort();
        return 0;
    }
    if (KrRoundTrips(db) && !KrStartsWithByteOrderMark(db) && !KrTextReadsBack(db))
        std::abort();
    return 0;
}
