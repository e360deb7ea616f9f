#include "KrCore/KrCastBase.h"

#include <cstring>

namespace
{
const char kClassName[] = "KrCastBase";
}

KrCastBase* KrCastBase::Cast(const char* className)
{
    return IsNamed(className, kClassName) ? this : nullptr;
}

const char* KrCastBase::ClassName() const
{
    return kClassName;
}

KrCastBase::~KrCastBase() = default;

bool KrCastBase::IsNamed(const char* className, const char* ownName)
{
    return className != nullptr && std::strcmp(className, ownName) == 0;
}
