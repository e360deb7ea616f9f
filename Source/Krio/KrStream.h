// The abstract byte stream. Files, the debug output and a host's log stream all implement it.
#pragma once

#include "KrCore/KrObject.h"
#include "KrCore/KrString.h"

#include <cstdint>

// Origins of Seek.
enum KrSeekOrigin : int32_t
{
    KrSeekStart = 0,   // offset from the start
    KrSeekFromEnd = 1, // position is length - offset
    KrSeekCurrent = 2, // offset from the current position
};

class KrStream : public KrObject
{
public:
    // The order of these virtual functions is shared with a separately built host: keep it,
    // and declare nothing virtual before the last of them in a derived class.

    // Reads up to count bytes; answers how many arrived (fewer at the end, 0 past it) and
    // stores the same number in *got when got is not null.
    virtual int32_t Read(void* buffer, int32_t count, int32_t* got) = 0;
    virtual void Write(const void* data, int32_t count, int32_t* written) = 0;
    virtual void Seek(int32_t offset, int32_t origin) = 0;
    virtual int32_t Tell() = 0;
    virtual KrString Describe();
    // Probes with a Seek by 0 from the current position: false when that raises a KrError.
    virtual bool IsSeekable();
};
