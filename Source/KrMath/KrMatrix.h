// A row-major table of doubles with a colour-space tag, one colour or point per column: a
// value type whose copies share one counted record until the first write (MakeExclusive).
#pragma once

#include "KrCore/KrString.h"
#include "KrMath/KrMatrixBlock.h"
#include "KrMath/KrMatrixData.h"
#include "KrMath/KrVector.h"

#include <cstdint>

class KrMatrix : public KrMatrixData
{
public:
    // No record when all three are 0. The values start at 0.0. A negative shape, or one of
    // more than 2^31 - 1 values, raises KrIndexError.
    explicit KrMatrix(int32_t rows = 0, int32_t columns = 0, int32_t tag = 0);
    KrMatrix(const KrMatrix& other) : block(other.block) { KrMatrixBlock::Retain(block); }
    KrMatrix(KrMatrix&& other) noexcept : block(other.block) { other.block = nullptr; }
    explicit KrMatrix(const KrMatrixData& source);
    KrMatrix& operator=(const KrMatrix& other);
    KrMatrix& operator=(KrMatrix&& other) noexcept;

    // The order of these virtual functions is shared with a separately built host: keep it.
    ~KrMatrix() override;
    KrMatrixData& Assign(const KrMatrixData& source) override;
    int32_t GetRows() const override { return block != nullptr ? block->rows : 0; }
    int32_t GetColumns() const override { return block != nullptr ? block->columns : 0; }
    // Elements present in both shapes are kept, the others are 0.0.
    void SetSize(int32_t rows, int32_t columns) override;
    double Get(int32_t row, int32_t column) const final;
    double& At(int32_t row, int32_t column) final;
    int32_t GetType() const override { return block != nullptr ? block->type : 0; }
    void SetType(int32_t tag) override;
    // Unless omitHeader, "rows columns tag " first; then every element, row after row, printed
    // with format (null: "%f ").
    virtual KrString ToText(const char* format = nullptr, bool omitHeader = false) const;
    // Reads the header (unless keepShape, which keeps the current shape) and then one number per
    // element as a 32-bit float. KrFormatErr when the header or a number is missing.
    virtual void FromText(const KrString& text, bool keepShape = false);

    // Gives this matrix a record of its own when it shares one.
    void MakeExclusive();
    // The elements row after row; null without a record. Copies that share a record answer the same.
    const double* Data() const { return block != nullptr ? block->Values() : nullptr; }
    // One column as a vector tagged like the matrix.
    KrVector GetColumnVector(int32_t column) const;
    // v must have one element per column (SetRow) or per row (SetColumn).
    void SetRow(int32_t row, const KrVector& v);
    void SetColumn(int32_t column, const KrVector& v);

private:
    static void CheckShape(int32_t rows, int32_t columns);
    void CheckIndex(int32_t row, int32_t column) const;
    // Where element (row, column) lies among the values.
    size_t Offset(int32_t row, int32_t column) const { return static_cast<size_t>(row) * block->columns + column; }
    // Replaces the record, dropping the reference to the old one.
    void Replace(KrMatrixBlock* replacement);

    KrMatrixBlock* block = nullptr;
};
