// A reference-counted object: the creator holds the first reference, sharers Retain and Release.
#pragma once

#include "KrCore/KrCastBase.h"

#include <cstdint>

class KrObject : public KrCastBase
{
public:
    KrObject();
    KrObject(const KrObject&) = delete;
    KrObject& operator=(const KrObject&) = delete;

    // The order of these virtual functions is shared with a separately built host: keep it.
    KrCastBase* Cast(const char* className) override;
    const char* ClassName() const override;
    ~KrObject() override;
    virtual int32_t RefCount() const;
    virtual void Retain();
    // Drops one reference; the last one destroys the object.
    virtual void Release();

private:
    int32_t refCount;
};
