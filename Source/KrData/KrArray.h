// An array of exactly Size elements with checked access; it is resized only on request.
#pragma once

#include "KrCore/KrError.h"

#include <cstdint>
#include <type_traits>
#include <utility>

template <class T>
class KrArray
{
public:
    // A negative size makes an empty array.
    explicit KrArray(int32_t size = 0) : size(Clamped(size)), elements(NewBlock(nullptr, 0, this->size)) {}
    KrArray(const KrArray& other) : size(other.size), elements(NewBlock(other.elements, other.size, other.size)) {}
    KrArray(KrArray&& other) noexcept { Swap(other); }
    ~KrArray() noexcept(std::is_nothrow_destructible<T>::value) { delete[] elements; }

    KrArray& operator=(const KrArray& other)
    {
        if (this != &other)
            Replace(NewBlock(other.elements, other.size, other.size), other.size);
        return *this;
    }

    KrArray& operator=(KrArray&& other) noexcept
    {
        Swap(other);
        return *this;
    }

    int32_t Size() const { return size; }

    T& At(int32_t index)
    {
        CheckIndex(index);
        return elements[index];
    }

    const T& At(int32_t index) const
    {
        CheckIndex(index);
        return elements[index];
    }

    // Exactly n elements; the leading ones are kept. The same size leaves the block untouched.
    void SetSize(int32_t n)
    {
        n = Clamped(n);
        if (n != size)
            Replace(NewBlock(elements, n < size ? n : size, n), n);
    }

    // Index of the first element equal to value, or -1.
    int32_t Find(const T& value) const
    {
        for (int32_t i = 0; i < size; ++i)
        {
            if (elements[i] == value)
                return i;
        }
        return -1;
    }

private:
    static int32_t Clamped(int32_t n) { return n > 0 ? n : 0; }

    // A block of n elements, the first count assigned from source; null for n = 0.
    static T* NewBlock(const T* source, int32_t count, int32_t n)
    {
        if (n == 0)
            return nullptr;
        T* block = new T[n](); // scalars start at zero
        try
        {
            for (int32_t i = 0; i < count; ++i)
                block[i] = source[i];
        }
        catch (...)
        {
            delete[] block;
            throw;
        }
        return block;
    }

    void Replace(T* block, int32_t n)
    {
        T* old = elements;
        elements = block;
        size = n;
        delete[] old;
    }

    void CheckIndex(int32_t index) const
    {
        if (index < 0 || index >= size)
            KR_RAISE(KrErrIndexError);
    }

    void Swap(KrArray& other) noexcept
    {
        std::swap(size, other.size);
        std::swap(elements, other.elements);
    }

    int32_t size = 0;
    T* elements = nullptr;
};
