// KrVector::FromText over arbitrary bytes: never more numbers than characters, the tag kept,
// and the numbers read back from their own printed form.
#include "KrCore/KrError.h"
#include "KrCore/KrString.h"
#include "KrMath/KrVector.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const KrString text(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), true);
    KrVector v(0, 0x52474220);
    v.FromText(text);
    if (v.GetSize() > text.Length() || v.GetType() != 0x52474220)
        std::abort();

    KrVector back;
    back.FromText(v.ToText("%.9g "));
    if (back.GetSize() != v.GetSize())
        std::abort();
    for (int32_t i = 0; i < v.GetSize(); ++i)
    {
        if (back.Get(i) != v.Get(i) && !(std::isnan(back.Get(i)) && std::isnan(v.Get(i))))
            std::abort();
    }
    return 0;
}
