// A transform made of one tone curve per element of a vector. Abstract: it fixes the operations
// that every such transform appends to the transform table, in this order.
#pragma once

#include "KrCore/KrString.h"
#include "KrMath/KrTrafo.h"
#include "KrMath/KrVector.h"

#include <cstdint>

class KrVectorLinearization : public KrTrafo
{
public:
    ~KrVectorLinearization() override;

    // Default attributes again, and every curve the identity.
    virtual void Reset() = 0;
    // True when every curve is the identity (and so for no curves).
    virtual bool IsIdentity() const = 0;
    virtual KrVector Forward(const KrVector& in) const = 0;
    virtual KrVector Inverse(const KrVector& in) const = 0;
    virtual void Invert() = 0;
    // The first curves stay; new ones are the identity.
    virtual void SetChannelCount(int32_t n) = 0;
    virtual int32_t GetChannelCount() const = 0;
    virtual KrString ToText(const char* format = nullptr) const = 0;
    virtual void FromText(const KrString& text) = 0;

protected:
    KrVectorLinearization();
};
