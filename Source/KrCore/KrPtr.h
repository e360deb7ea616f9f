// Holds one reference to a KrObject and checks the object's count before giving it back.
#pragma once

#include "KrCore/KrError.h"

#include <exception>

template <class T>
class KrPtr
{
public:
    KrPtr() = default;
    KrPtr(const KrPtr& other) : object(other.object)
    {
        if (object != nullptr)
            object->Retain();
    }

    // Raises KrPtrInvalid, keeping the object, when its count is not positive.
    ~KrPtr() noexcept(false)
    {
        if (object == nullptr)
            return;
        if (object->RefCount() > 0)
            object->Release();
        else if (std::uncaught_exceptions() == 0) // raising while unwinding would end the program
            KR_RAISE(KrErrPtrInvalid);
    }

    // Takes a reference of its own; the caller keeps its reference.
    KrPtr& operator=(T* other)
    {
        if (other != object)
        {
            if (other != nullptr)
                other->Retain();
            if (object != nullptr)
                object->Release();
            object = other;
        }
        return *this;
    }

    KrPtr& operator=(const KrPtr& other) { return *this = other.object; }

    T* Get() const { return object; }
    T* operator->() const { return object; }

private:
    T* object = nullptr;
};
