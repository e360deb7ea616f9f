#include "KrMath/KrVectorBlock.h"

#include <cstring>
#include <new>
#include <utility>

namespace
{
// Never destroyed, so vectors that outlive static destruction can still release into it.
KrVectorBlockCache cache;

// Each thread keeps its last released small record in front of the shared cache, so the
// common create-and-drop cycle of colour vectors needs no atomic operation. The first record a
// thread parks there arms a hand-back: at thread exit the record goes to the shared cache, and
// later releases on that thread go there directly.
thread_local KrVectorBlock* spare = nullptr;
enum class SpareState : uint8_t
{
    Unarmed,
    Armed,
    Gone,
};
thread_local SpareState spareState = SpareState::Unarmed;

struct SpareHandBack
{
    ~SpareHandBack()
    {
        spareState = SpareState::Gone;
        if (spare != nullptr)
            cache.Put(spare);
        spare = nullptr;
    }
};

size_t CapacityFor(int32_t count)
{
    return static_cast<size_t>(count > KrVectorBlock::kSmallCapacity ? count : KrVectorBlock::kSmallCapacity);
}
}

KrVectorBlockCache& KrVectorBlock::Cache()
{
    return cache;
}

KrVectorBlock* KrVectorBlock::Allocate(int32_t count)
{
    return static_cast<KrVectorBlock*>(::operator new(sizeof(KrVectorBlock) + CapacityFor(count) * sizeof(double)));
}

void KrVectorBlock::Free(KrVectorBlock* block)
{
    ::operator delete(block);
}

KrVectorBlock* KrVectorBlock::Acquire(int32_t count, int32_t type, const double* values)
{
    KrVectorBlock* block = nullptr;
    if (count <= kSmallCapacity)
        std::swap(block, spare);
    if (block == nullptr)
        block = cache.Take([count](const KrVectorBlock& cached) { return Fits(cached, count); });
    if (block == nullptr)
        block = Allocate(count);
    block->refCount = 1;
    block->count = count;
    block->type = type;
    const size_t bytes = static_cast<size_t>(block->ElementCount()) * sizeof(double);
    if (values != nullptr)
        std::memcpy(block->Values(), values, bytes);
    else
        std::memset(block->Values(), 0, bytes);
    return block;
}

void KrVectorBlock::Recycle(KrVectorBlock* block)
{
    if (block->count <= kSmallCapacity && spare == nullptr && spareState != SpareState::Gone)
    {
        if (spareState == SpareState::Unarmed)
        {
            thread_local SpareHandBack handBack;
            spareState = SpareState::Armed;
        }
        spare = block;
        return;
    }
    cache.Put(block);
}
