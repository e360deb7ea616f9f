// The storage record of KrMatrix: one heap block shared by all matrices that are copies of
// each other, its doubles row after row right after the header. Released records go to a
// process-wide cache, where any record with as many values serves a request.
#pragma once

#include "KrMath/KrBlockCache.h"

#include <cstddef>
#include <cstdint>

struct alignas(double) KrMatrixBlock
{
    int32_t refCount;
    int32_t rows;
    int32_t columns;
    int32_t type; // colour-space tag, 0 = none

    double* Values() { return reinterpret_cast<double*>(this + 1); }
    const double* Values() const { return reinterpret_cast<const double*>(this + 1); }
    size_t ValueCount() const { return static_cast<size_t>(rows) * static_cast<size_t>(columns); }

    // Whether a cached record can serve a request for a shape: it needs as many values.
    static bool Fits(const KrMatrixBlock& cached, int32_t rows, int32_t columns)
    {
        return cached.ValueCount() == static_cast<size_t>(rows) * static_cast<size_t>(columns);
    }
    // A record with one reference, the shape (not negative) and type, holding a copy of values
    // (zeros when values is null); taken from the cache when one fits.
    static KrMatrixBlock* Acquire(int32_t rows, int32_t columns, int32_t type, const double* values);
    static void Retain(KrMatrixBlock* block)
    {
        if (block != nullptr)
            ++block->refCount;
    }
    // Drops one reference; the last one hands the record to the cache.
    static void Release(KrMatrixBlock* block)
    {
        if (block != nullptr && --block->refCount == 0)
            Recycle(block);
    }

    // A fresh heap record with room for valueCount values; its header is left for the caller.
    static KrMatrixBlock* Allocate(size_t valueCount);
    static void Free(KrMatrixBlock* block);
    static KrBlockCache<KrMatrixBlock, 10>& Cache();

private:
    static void Recycle(KrMatrixBlock* block);
};

static_assert(sizeof(KrMatrixBlock) == 16, "values start 8-byte aligned after the header");

using KrMatrixBlockCache = KrBlockCache<KrMatrixBlock, 10>;
