// What every matrix offers: read and written through it without knowing its class.
#pragma once

#include <cstdint>

class KrMatrixData
{
public:
    // The order of these virtual functions is shared with a separately built host: keep it,
    // and declare nothing virtual before the last of them in a derived class.
    virtual ~KrMatrixData() = default;
    virtual KrMatrixData& Assign(const KrMatrixData& source) = 0;
    virtual int32_t GetRows() const = 0;
    virtual int32_t GetColumns() const = 0;
    virtual void SetSize(int32_t rows, int32_t columns) = 0;
    virtual double Get(int32_t row, int32_t column) const = 0;
    // Valid until the matrix is next changed or copied.
    virtual double& At(int32_t row, int32_t column) = 0;
    // A four-character colour-space code, 0 = none.
    virtual int32_t GetType() const = 0;
    virtual void SetType(int32_t tag) = 0;

protected:
    KrMatrixData() = default;
    KrMatrixData(const KrMatrixData&) = default;
    KrMatrixData& operator=(const KrMatrixData&) = default;
};
