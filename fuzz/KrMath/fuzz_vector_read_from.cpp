// KrVector::ReadFrom over arbitrary bytes: it ends in the vector or in one of its named errors,
// and never holds more elements than the form's largest dimension.
#include "KrCore/KrError.h"
#include "KrMath/KrVector.h"
#include "Krio/KrMemoryStream.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KrMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    KrVector v;
    try
    {
        v.ReadFrom(&stream);
    }
    catch (const KrError& error)
    {
        if (error.Code() != KrErrArgErr.code && error.Code() != KrErrBufferTooSmall.code)
            std::abort();
    }
    if (v.GetSize() < 0 || v.GetSize() > (1 << 20))
        std::abort();
    if (stream.RefCount() != 1)
        std::abort();
    return 0;
}
