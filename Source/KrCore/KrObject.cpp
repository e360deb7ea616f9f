#include "KrCore/KrObject.h"

namespace
{
const char kClassName[] = "KrObject";
}

KrObject::KrObject() : refCount(1)
{
}

KrCastBase* KrObject::Cast(const char* className)
{
    return IsNamed(className, kClassName) ? this : KrCastBase::Cast(className);
}

const char* KrObject::ClassName() const
{
    return kClassName;
}

KrObject::~KrObject()
{
    refCount = 0;
}

int32_t KrObject::RefCount() const
{
    return refCount;
}

void KrObject::Retain()
{
    ++refCount;
}

void KrObject::Release()
{
    if (--refCount == 0)
        delete this;
}
