// A stream that sends each write to the debugger output.
#pragma once

#include "Krio/KrStreamImplemented.h"

class KrOutputDebugStream : public KrStreamImplemented
{
public:
    // Sends the first 4095 bytes, up to the first NUL, as UTF-16 text; the rest is dropped.
    // written is not touched. A negative count or null data writes nothing.
    void Write(const void* data, int32_t count, int32_t* written) override;
};
