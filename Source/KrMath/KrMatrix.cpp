#include "KrMath/KrMatrix.h"

#include "KrCore/KrError.h"
#include "KrMath/KrNumberText.h"

#include <cstring>
#include <initializer_list>

namespace
{
const char kDefaultTextFormat[] = "%f ";

int32_t Smaller(int32_t a, int32_t b)
{
    return a < b ? a : b;
}
}

void KrMatrix::CheckShape(int32_t rows, int32_t columns)
{
    if (rows < 0 || columns < 0 || int64_t(rows) * columns > INT32_MAX)
        KR_RAISE(KrErrIndexError);
}

KrMatrix::KrMatrix(int32_t rows, int32_t columns, int32_t tag)
{
    CheckShape(rows, columns);
    if (rows != 0 || columns != 0 || tag != 0)
        block = KrMatrixBlock::Acquire(rows, columns, tag, nullptr);
}

KrMatrix::KrMatrix(const KrMatrixData& source)
{
    Assign(source);
}

KrMatrix& KrMatrix::operator=(const KrMatrix& other)
{
    if (block != other.block)
    {
        KrMatrixBlock::Retain(other.block);
        Replace(other.block);
    }
    return *this;
}

KrMatrix& KrMatrix::operator=(KrMatrix&& other) noexcept
{
    if (this != &other)
    {
        Replace(other.block);
        other.block = nullptr;
    }
    return *this;
}

KrMatrix::~KrMatrix()
{
    KrMatrixBlock::Release(block);
}

void KrMatrix::Replace(KrMatrixBlock* replacement)
{
    KrMatrixBlock* old = block;
    block = replacement;
    KrMatrixBlock::Release(old);
}

void KrMatrix::MakeExclusive()
{
    if (block != nullptr && block->refCount > 1)
        Replace(KrMatrixBlock::Acquire(block->rows, block->columns, block->type, block->Values()));
}

KrMatrixData& KrMatrix::Assign(const KrMatrixData& source)
{
    if (&source == this)
        return *this;
    const int32_t rows = source.GetRows();
    const int32_t columns = source.GetColumns();
    CheckShape(rows, columns);
    KrMatrixBlock* copy = KrMatrixBlock::Acquire(rows, columns, source.GetType(), nullptr);
    try
    {
        for (int32_t r = 0; r < rows && columns > 0; ++r)
        {
            for (int32_t c = 0; c < columns; ++c)
                copy->Values()[size_t(r) * columns + c] = source.Get(r, c);
        }
    }
    catch (...)
    {
        KrMatrixBlock::Release(copy);
        throw;
    }
    Replace(copy);
    return *this;
}

void KrMatrix::SetSize(int32_t rows, int32_t columns)
{
    CheckShape(rows, columns);
    if (block == nullptr ? rows == 0 && columns == 0 : block->rows == rows && block->columns == columns)
        return;
    KrMatrixBlock* resized = KrMatrixBlock::Acquire(rows, columns, GetType(), nullptr);
    const int32_t keptRows = Smaller(rows, GetRows());
    const int32_t keptColumns = Smaller(columns, GetColumns());
    for (int32_t r = 0; r < keptRows && keptColumns > 0; ++r)
        std::memcpy(resized->Values() + size_t(r) * columns, block->Values() + Offset(r, 0), size_t(keptColumns) * sizeof(double));
    Replace(resized);
}

void KrMatrix::CheckIndex(int32_t row, int32_t column) const
{
    if (block == nullptr || row < 0 || row >= block->rows || column < 0 || column >= block->columns)
        KR_RAISE(KrErrIndexError);
}

double KrMatrix::Get(int32_t row, int32_t column) const
{
    CheckIndex(row, column);
    return block->Values()[Offset(row, column)];
}

double& KrMatrix::At(int32_t row, int32_t column)
{
    CheckIndex(row, column);
    MakeExclusive();
    return block->Values()[Offset(row, column)];
}

void KrMatrix::SetType(int32_t tag)
{
    if (block == nullptr)
    {
        block = KrMatrixBlock::Acquire(0, 0, tag, nullptr);
    }
    else if (block->type != tag)
    {
        MakeExclusive();
        block->type = tag;
    }
}

KrString KrMatrix::ToText(const char* format, bool omitHeader) const
{
    if (format == nullptr)
        format = kDefaultTextFormat;
    KrString text;
    if (!omitHeader)
        text = KrString::Format("%d %d %ld ", GetRows(), GetColumns(), static_cast<long>(GetType()));
    const size_t valueCount = block != nullptr ? block->ValueCount() : 0;
    for (size_t i = 0; i < valueCount; ++i)
        text.Append(KrString::Format(format, block->Values()[i]));
    return text;
}

void KrMatrix::FromText(const KrString& text, bool keepShape)
{
    const char* characters = text.Text();
    const int32_t length = text.Length();
    int32_t offset = 0;
    int32_t rows = GetRows();
    int32_t columns = GetColumns();
    int32_t tag = GetType();
    if (!keepShape)
    {
        for (int32_t* field : {&rows, &columns, &tag})
        {
            const int32_t consumed = KrScanInt32(characters + offset, *field);
            if (consumed == 0)
                KR_RAISE(KrErrFormatErr);
            offset += consumed;
        }
        CheckShape(rows, columns);
    }
    // Every number takes at least one character: a shape that the rest of the text cannot
    // fill fails before the matrix is resized.
    if (int64_t(rows) * columns > length - offset)
        KR_RAISE(KrErrFormatErr);
    if (!keepShape)
    {
        SetSize(rows, columns);
        SetType(tag);
    }
    MakeExclusive();
    const size_t valueCount = size_t(rows) * size_t(columns); // row after row, as stored
    for (size_t i = 0; i < valueCount; ++i)
    {
        double value = 0.0;
        const int32_t consumed = offset < length ? KrScanFloat(characters + offset, value) : 0;
        if (consumed == 0)
            KR_RAISE(KrErrFormatErr);
        block->Values()[i] = value;
        offset += consumed;
    }
}

KrVector KrMatrix::GetColumnVector(int32_t column) const
{
    if (block == nullptr || column < 0 || column >= block->columns)
        KR_RAISE(KrErrIndexError);
    KrVector v(block->rows, block->type);
    for (int32_t r = 0; r < block->rows; ++r)
        v.At(r) = block->Values()[Offset(r, column)];
    return v;
}

void KrMatrix::SetRow(int32_t row, const KrVector& v)
{
    if (block == nullptr || row < 0 || row >= block->rows || v.GetSize() != block->columns)
        KR_RAISE(KrErrIndexError);
    MakeExclusive();
    for (int32_t c = 0; c < block->columns; ++c)
        block->Values()[Offset(row, c)] = v.Data()[c];
}

void KrMatrix::SetColumn(int32_t column, const KrVector& v)
{
    if (block == nullptr || column < 0 || column >= block->columns || v.GetSize() != block->rows)
        KR_RAISE(KrErrIndexError);
    MakeExclusive();
    for (int32_t r = 0; r < block->rows; ++r)
        block->Values()[Offset(r, column)] = v.Data()[r];
}
