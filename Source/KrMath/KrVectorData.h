// What every vector offers: a host's vectors and ours are read and written through it.
#pragma once

#include <cstdint>

class KrVectorData
{
public:
    // The order of these virtual functions is shared with a separately built host: keep it,
    // and declare nothing virtual before the last of them in a derived class.
    virtual ~KrVectorData() = default;
    virtual KrVectorData& Assign(const KrVectorData& source) = 0;
    // Negative sizes are codes without elements.
    virtual int32_t GetSize() const = 0;
    virtual void SetSize(int32_t n) = 0;
    virtual double Get(int32_t index) const = 0;
    // Valid until the vector is next changed or copied.
    virtual double& At(int32_t index) = 0;
    // A four-character colour-space code, 0 = none.
    virtual int32_t GetType() const = 0;
    virtual void SetType(int32_t tag) = 0;

protected:
    KrVectorData() = default;
    KrVectorData(const KrVectorData&) = default;
    KrVectorData& operator=(const KrVectorData&) = default;
};
