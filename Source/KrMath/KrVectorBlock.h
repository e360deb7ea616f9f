// The storage record of KrVector: one heap block shared by all vectors that are copies of
// each other, its doubles right after the header. Released records are kept for reuse: a small
// one in a one-record spare of the releasing thread, the others in a process-wide cache.
#pragma once

#include "KrMath/KrBlockCache.h"

#include <cstdint>

struct alignas(double) KrVectorBlock
{
    // Records of up to this many values all have this capacity, so any cached one fits them.
    static constexpr int32_t kSmallCapacity = 4;

    int32_t refCount;
    int32_t count; // negative: a code without elements
    int32_t type;  // colour-space tag, 0 = none

    double* Values() { return reinterpret_cast<double*>(this + 1); }
    const double* Values() const { return reinterpret_cast<const double*>(this + 1); }
    int32_t ElementCount() const { return count > 0 ? count : 0; }

    // Whether a cached record can serve a request for count values: any record serves a small
    // request, a larger one needs a record of exactly that count.
    static bool Fits(const KrVectorBlock& cached, int32_t count)
    {
        return count <= kSmallCapacity || cached.count == count;
    }
    // A record with one reference, count and type, holding a copy of values (zeros when values
    // is null); taken from the thread's spare or the cache when one fits.
    static KrVectorBlock* Acquire(int32_t count, int32_t type, const double* values);
    static void Retain(KrVectorBlock* block)
    {
        if (block != nullptr)
            ++block->refCount;
    }
    // Drops one reference; the last one hands the record to the spare or the cache.
    static void Release(KrVectorBlock* block)
    {
        if (block != nullptr && --block->refCount == 0)
            Recycle(block);
    }

    // A fresh heap record with room for count values; its header is left for the caller.
    static KrVectorBlock* Allocate(int32_t count);
    static void Free(KrVectorBlock* block);
    static KrBlockCache<KrVectorBlock, 20>& Cache();

private:
    static void Recycle(KrVectorBlock* block);
};

static_assert(sizeof(KrVectorBlock) == 16, "values start 8-byte aligned after the header");

using KrVectorBlockCache = KrBlockCache<KrVectorBlock, 20>;
