#include "KrMath/KrMatrixBlock.h"

#include <cstring>
#include <new>

namespace
{
// Never destroyed, so matrices that outlive static destruction can still release into it.
KrMatrixBlockCache cache;
}

KrMatrixBlockCache& KrMatrixBlock::Cache()
{
    return cache;
}

KrMatrixBlock* KrMatrixBlock::Allocate(size_t valueCount)
{
    return static_cast<KrMatrixBlock*>(::operator new(sizeof(KrMatrixBlock) + valueCount * sizeof(double)));
}

void KrMatrixBlock::Free(KrMatrixBlock* block)
{
    ::operator delete(block);
}

KrMatrixBlock* KrMatrixBlock::Acquire(int32_t rows, int32_t columns, int32_t type, const double* values)
{
    const size_t valueCount = static_cast<size_t>(rows) * static_cast<size_t>(columns);
    KrMatrixBlock* block = cache.Take([rows, columns](const KrMatrixBlock& cached) { return Fits(cached, rows, columns); });
    if (block == nullptr)
        block = Allocate(valueCount);
    block->refCount = 1;
    block->rows = rows;
    block->columns = columns;
    block->type = type;
    if (values != nullptr)
        std::memcpy(block->Values(), values, valueCount * sizeof(double));
    else
        std::memset(block->Values(), 0, valueCount * sizeof(double));
    return block;
}

void KrMatrixBlock::Recycle(KrMatrixBlock* block)
{
    cache.Put(block);
}
