// Replaces the global operator new and delete; kept in a file of its own so that no caller sees
// the malloc and free behind them.
#include "CountingHeap.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> allocations{0};
}

long HeapAllocationCount()
{
    return allocations.load();
}

void* operator new(size_t size)
{
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, size_t) noexcept
{
    std::free(memory);
}
