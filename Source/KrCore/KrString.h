// Byte string with shared, counted, copy-on-write storage. UTF-8 by convention; a raw string
// carries byte data (zero bytes allowed) or 16-bit platform text.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>

#if defined(__GNUC__)
#define KR_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define KR_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

class KrString
{
public:
    KrString() = default;
    KrString(const char* text); // null gives the empty string
    KrString(const char* bytes, int32_t count, bool raw);
    // Room for capacity bytes: a text string starts empty, a raw one with length = capacity.
    KrString(int32_t capacity, bool raw);
    // 16-bit text as a raw string of 2 * count bytes; a negative count reads up to a zero unit.
    KrString(const char16_t* units, int32_t count);
    KrString(const KrString& other) : buffer(other.buffer) { Retain(buffer); }
    KrString(KrString&& other) noexcept;
    KrString& operator=(const KrString& other);
    KrString& operator=(KrString&& other) noexcept;
    KrString& operator=(const char* text);
    ~KrString() { Drop(buffer); }

    int32_t Length() const;
    bool IsEmpty() const;
    bool IsRaw() const;
    const char* Text() const; // never null
    // Both are bounded by the capacity, not the length.
    char CharAt(int32_t index) const;
    char& CharRef(int32_t index);
    // ASCII letters fold; the difference of the first differing bytes (as signed 8-bit values).
    int CompareNoCase(const char* text) const;
    int32_t ToLong() const;
    double ToDouble() const;

    // Gives this string a buffer of its own. For writing, a text length is recounted later.
    void MakeExclusive(bool forWriting);
    KrString& Append(const KrString& other);
    KrString& Append(char byte);
    KrString& Append(const char* text);
    KrString SetLong(int32_t value); // answers a copy of the new content
    KrString Substring(int32_t start, int32_t count) const; // count -1: to the end
    KrString ReplaceChar(char from, char to) const;
    KrString ReplaceAll(const KrString& from, const KrString& to) const;
    static KrString Format(const char* format, ...) KR_PRINTF_FORMAT(1, 2);

    // All searches answer a byte index, or -1.
    int32_t Find(const KrString& needle, int32_t start, bool ignoreCase) const;
    int32_t FindChar(char byte, int32_t start) const;
    int32_t FindLastChar(char byte) const;
    int32_t FindFirstOf(const KrString& set) const;

    KrString Quote() const;
    KrString Unquote() const;
    // An empty set means zero byte, TAB, LF, CR and space.
    static bool IsDelimiter(char byte, const KrString& set);
    // The token starting at or after position; position moves past it. With quoted set, a
    // token that opens with a double quote runs to its closing quote, escapes kept.
    KrString NextToken(int32_t& position, const KrString& set, bool quoted) const;

    KrString ToUtf16() const; // UTF-8 text to raw 16-bit units, zero-terminated
    KrString ToUtf8() const;  // raw 16-bit units to UTF-8 text

    bool operator==(const KrString& other) const;
    bool operator!=(const KrString& other) const { return !(*this == other); }

private:
    // One heap block: this header, then capacity + 1 bytes.
    struct Buffer
    {
        int32_t refCount;
        int32_t capacity;
        int32_t length; // -1: count up to the first zero byte at the next query (text only)
        bool raw;

        char* Bytes() { return reinterpret_cast<char*>(this + 1); }
    };

    explicit KrString(Buffer* adopted) : buffer(adopted) {}
    static Buffer* NewBuffer(int64_t capacity, bool raw, const char* bytes, int32_t count);
    static void Retain(Buffer* buffer)
    {
        if (buffer != nullptr)
            ++buffer->refCount;
    }
    static void Drop(Buffer* buffer)
    {
        if (buffer != nullptr && --buffer->refCount == 0)
            ::operator delete(buffer);
    }
    int32_t CountLength() const;
    // The shared or missing buffer of MakeExclusive becomes one of this string's own.
    void Detach();
    // Moves the content into a buffer with room for needed bytes; the caller drops the old one.
    Buffer* Grow(int64_t needed);
    KrString& AppendBytes(const char* bytes, int32_t count);

    Buffer* buffer = nullptr;
};

KrString operator+(const KrString& left, const KrString& right);

// Copies, length queries and appends that fit are the hot paths: they stay inline.

inline int32_t KrString::Length() const
{
    if (buffer == nullptr)
        return 0;
    return buffer->length >= 0 ? buffer->length : CountLength();
}

inline void KrString::MakeExclusive(bool forWriting)
{
    if (buffer == nullptr || buffer->refCount > 1)
        Detach();
    if (forWriting && !buffer->raw)
        buffer->length = -1;
}

inline KrString& KrString::AppendBytes(const char* bytes, int32_t count)
{
    MakeExclusive(false);
    const int32_t length = Length();
    const int64_t needed = int64_t(length) + count;
    Buffer* replaced = needed > buffer->capacity ? Grow(needed) : nullptr;
    if (count > 0) // the bytes may lie in the replaced buffer, still alive here
        std::memcpy(buffer->Bytes() + length, bytes, static_cast<size_t>(count));
    buffer->length = static_cast<int32_t>(needed);
    buffer->Bytes()[needed] = '\0';
    Drop(replaced);
    return *this;
}

inline KrString& KrString::Append(char byte)
{
    return AppendBytes(&byte, 1);
}
