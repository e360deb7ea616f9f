// A stream for classes that only write: reading, seeking and telling raise KrUndefProc.
#pragma once

#include "Krio/KrStream.h"

class KrStreamImplemented : public KrStream
{
public:
    int32_t Read(void* buffer, int32_t count, int32_t* got) override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;
};
