// KrMatrix::FromText over arbitrary bytes, the first byte choosing whether the header is read:
// it ends in the matrix or in KrFormatErr (KrIndexError for a negative or oversized shape), and
// a matrix read whole reads back from its own printed form.
#include "KrCore/KrError.h"
#include "KrCore/KrString.h"
#include "KrMath/KrMatrix.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool keepShape = (data[0] & 1) != 0;
    const KrString text(reinterpret_cast<const char*>(data + 1), static_cast<int32_t>(size - 1), true);
    KrMatrix m(2, 3);
    try
    {
        m.FromText(text, keepShape);
    }
    catch (const KrError& error)
    {
        if (error.Code() != KrErrFormatErr.code && !(error.Code() == KrErrIndexError.code && !keepShape))
            std::abort();
        return 0;
    }
    if (int64_t(m.GetRows()) * m.GetColumns() > text.Length())
        std::abort();

    KrMatrix back;
    back.FromText(m.ToText("%.9g "));
    if (back.GetRows() != m.GetRows() || back.GetColumns() != m.GetColumns() || back.GetType() != m.GetType())
        std::abort();
    return 0;
}
