// An append-only sequence in a ring of slots that grows geometrically.
#pragma once

#include "KrCore/KrError.h"
#include "KrData/KrArray.h"

#include <cstdint>
#include <utility>

template <class T>
class KrList
{
public:
    KrList() : slots(kInitialSlots) {}

    int32_t Count() const { return count; }
    int32_t Capacity() const { return slots.Size(); }

    T& At(int32_t index) { return slots.At(SlotOf(index)); }
    const T& At(int32_t index) const { return slots.At(SlotOf(index)); }

    void Append(const T& value)
    {
        if (count < slots.Size())
        {
            Store(value);
        }
        else
        {
            const T copy(value); // value may live in the slots that Resize replaces
            Resize(2 * count + 1);
            Store(copy);
        }
        ++count;
    }

    // n slots holding the first elements in order; elements beyond n are dropped.
    void Resize(int32_t n)
    {
        if (n == count)
            return;
        KrArray<T> resized(n);
        const int32_t kept = count < resized.Size() ? count : resized.Size();
        for (int32_t i = 0; i < kept; ++i)
            resized.At(i) = At(i);
        slots = std::move(resized);
        count = kept;
        head = 0;
        tail = kept - 1;
    }

    // Empties the list and gives back all slots.
    void Clear()
    {
        slots.SetSize(0);
        count = 0;
        head = 0;
        tail = -1;
    }

private:
    static const int32_t kInitialSlots = 10;

    int32_t SlotOf(int32_t index) const
    {
        if (index < 0 || index >= count)
            KR_RAISE(KrErrIndexError);
        return static_cast<int32_t>((int64_t(head) + index) % slots.Size());
    }

    // Puts value into the slot after the tail, wrapping around.
    void Store(const T& value)
    {
        const int32_t next = tail + 1 == slots.Size() ? 0 : tail + 1;
        slots.At(next) = value;
        tail = next;
    }

    int32_t count = 0;
    int32_t head = 0;
    int32_t tail = -1;
    KrArray<T> slots;
};
