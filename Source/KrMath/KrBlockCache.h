// A process-wide cache of released storage records, shared by all threads. Its guard is a
// try-lock: a thread that finds another one inside bypasses the cache instead of waiting.
#pragma once

#include <atomic>
#include <cstdint>

// Block provides static void Free(Block*). The cache owns the records in its slots.
template <class Block, int32_t SlotCount>
class KrBlockCache
{
public:
    // Holds the cache while it lives; Entered() is false when another holder was inside, and
    // then the holder must not touch the slots.
    class Guard
    {
    public:
        explicit Guard(KrBlockCache& cache)
            : counter(cache.guard), entered(counter.fetch_add(1, std::memory_order_acquire) == 0)
        {
        }
        ~Guard() { counter.fetch_sub(1, std::memory_order_release); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        bool Entered() const { return entered; }

    private:
        std::atomic<int32_t>& counter;
        const bool entered;
    };

    constexpr KrBlockCache() = default;
    KrBlockCache(const KrBlockCache&) = delete;
    KrBlockCache& operator=(const KrBlockCache&) = delete;

    // Removes and answers the record in the first slot for which fits(record) holds; null when
    // none fits or the cache is busy.
    template <class Fits>
    Block* Take(Fits fits)
    {
        Guard guard(*this);
        if (!guard.Entered())
            return nullptr;
        for (Block*& slot : slots)
        {
            if (slot != nullptr && fits(*slot))
            {
                Block* taken = slot;
                slot = nullptr;
                return taken;
            }
        }
        return nullptr;
    }

    // Keeps a released record in the first empty slot. When all are full the record in the
    // victim slot is freed and replaced, and the victim moves one slot backwards (0, last,
    // last - 1, ...). A busy cache frees the record at once.
    void Put(Block* block)
    {
        Guard guard(*this);
        if (!guard.Entered())
        {
            Block::Free(block);
            return;
        }
        for (Block*& slot : slots)
        {
            if (slot == nullptr)
            {
                slot = block;
                return;
            }
        }
        Block::Free(slots[victim]);
        slots[victim] = block;
        victim = (victim + SlotCount - 1) % SlotCount;
    }

    // For inspection only: not synchronised with other threads.
    const Block* SlotContent(int32_t slot) const { return slots[slot]; }
    int32_t Victim() const { return victim; }

private:
    std::atomic<int32_t> guard{0};
    int32_t victim = 0;
    Block* slots[SlotCount] = {};
};
