#include "KrCore/KrString.h"

#include "KrCore/KrError.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
const char kEmptyText[] = "";
const int32_t kMinGrownCapacity = 10;
const int32_t kTokenCapacity = 10;
const int32_t kFormatStackSize = 4096;
const char kQuote = '"';
const char kEscape = '\\';

char FoldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Room for needed bytes: grow by half the capacity unless more is needed, never below 10.
int64_t GrownCapacity(int32_t capacity, int64_t needed)
{
    int64_t grown = needed;
    if (2 * needed < 3 * int64_t(capacity))
        grown = 3 * int64_t(capacity) / 2;
    return grown < kMinGrownCapacity ? kMinGrownCapacity : grown;
}

void PutUnit(char* bytes, int32_t index, char16_t unit)
{
    std::memcpy(bytes + 2 * index, &unit, sizeof unit);
}

char16_t GetUnit(const char* bytes, int32_t index)
{
    char16_t unit;
    std::memcpy(&unit, bytes + 2 * index, sizeof unit);
    return unit;
}

// UTF-8 lead bytes: the longest sequence each starts and the value bits it carries.
struct Utf8Lead
{
    unsigned char last;
    int length;
    unsigned char mask;
};

const Utf8Lead kUtf8Leads[] = {
    {0x7F, 1, 0x7F},
    {0xBF, 5, 0x3F}, // a continuation byte in lead position
    {0xDF, 2, 0x1F},
    {0xEF, 3, 0x0F},
    {0xF7, 4, 0x07},
    {0xFB, 5, 0x03},
    {0xFF, 6, 0x01},
};

const Utf8Lead& LeadOf(unsigned char byte)
{
    const Utf8Lead* lead = kUtf8Leads;
    while (byte > lead->last)
        ++lead;
    return *lead;
}

// Like strncmp over count bytes (a common zero byte ends the comparison), optionally folded.
bool MatchesAt(const char* text, const char* needle, int32_t count, bool ignoreCase)
{
    for (int32_t i = 0; i < count; ++i)
    {
        const char a = ignoreCase ? FoldCase(text[i]) : text[i];
        const char b = ignoreCase ? FoldCase(needle[i]) : needle[i];
        if (a != b)
            return false;
        if (a == '\0')
            return true;
    }
    return true;
}

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
}

KrString::Buffer* KrString::NewBuffer(int64_t capacity, bool raw, const char* bytes, int32_t count)
{
    if (capacity > INT32_MAX - int64_t(sizeof(Buffer)) - 1)
        throw std::bad_alloc();
    void* block = ::operator new(sizeof(Buffer) + static_cast<size_t>(capacity) + 1);
    Buffer* buffer = new (block) Buffer{1, static_cast<int32_t>(capacity), count, raw};
    // Bytes past the content stay zero, so a text length never counts past the capacity.
    const int32_t copied = bytes != nullptr ? count : 0;
    if (copied > 0)
        std::memcpy(buffer->Bytes(), bytes, static_cast<size_t>(copied));
    std::memset(buffer->Bytes() + copied, 0, static_cast<size_t>(capacity - copied + 1));
    return buffer;
}

KrString::KrString(const char* text)
{
    if (text != nullptr)
    {
        const int32_t length = static_cast<int32_t>(std::strlen(text));
        buffer = NewBuffer(length, false, text, length);
    }
}

KrString::KrString(const char* bytes, int32_t count, bool raw)
{
    if (count > 0)
        buffer = NewBuffer(count, raw, bytes, count);
}

KrString::KrString(int32_t capacity, bool raw)
{
    if (capacity > 0)
        buffer = NewBuffer(capacity, raw, nullptr, raw ? capacity : 0);
}

KrString::KrString(const char16_t* units, int32_t count)
{
    if (count < 0)
    {
        count = 0;
        while (units[count] != 0)
            ++count;
    }
    if (count > 0)
    {
        const int64_t size = 2 * int64_t(count);
        buffer = NewBuffer(size, true, nullptr, static_cast<int32_t>(size));
        std::memcpy(buffer->Bytes(), units, static_cast<size_t>(size));
    }
}

KrString::KrString(KrString&& other) noexcept : buffer(other.buffer)
{
    other.buffer = nullptr;
}

KrString& KrString::operator=(const KrString& other)
{
    if (this != &other)
    {
        Buffer* old = buffer;
        buffer = other.buffer;
        Retain(buffer);
        Drop(old);
    }
    return *this;
}

KrString& KrString::operator=(KrString&& other) noexcept
{
    if (this != &other)
    {
        Drop(buffer);
        buffer = other.buffer;
        other.buffer = nullptr;
    }
    return *this;
}

KrString& KrString::operator=(const char* text)
{
    return *this = KrString(text);
}

int32_t KrString::CountLength() const
{
    buffer->length = static_cast<int32_t>(std::strlen(buffer->Bytes()));
    return buffer->length;
}

bool KrString::IsEmpty() const
{
    return Length() <= 0;
}

bool KrString::IsRaw() const
{
    return buffer != nullptr && buffer->raw;
}

const char* KrString::Text() const
{
    return buffer != nullptr ? buffer->Bytes() : kEmptyText;
}

char KrString::CharAt(int32_t index) const
{
    if (buffer == nullptr || index < 0 || index >= buffer->capacity)
        KR_RAISE(KrErrIndexError);
    return buffer->Bytes()[index];
}

char& KrString::CharRef(int32_t index)
{
    MakeExclusive(true);
    if (index < 0 || index >= buffer->capacity)
        KR_RAISE(KrErrIndexError);
    return buffer->Bytes()[index];
}

int KrString::CompareNoCase(const char* text) const
{
    if (text == nullptr)
        KR_RAISE(KrErrArgErr);
    const char* own = Text();
    size_t i = 0;
    while (own[i] != '\0' && FoldCase(own[i]) == FoldCase(text[i]))
        ++i;
    return static_cast<signed char>(FoldCase(own[i])) - static_cast<signed char>(FoldCase(text[i]));
}

int32_t KrString::ToLong() const
{
    // Saturates instead of overflowing.
    const long value = std::strtol(Text(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

double KrString::ToDouble() const
{
    return std::strtod(Text(), nullptr);
}

void KrString::Detach()
{
    if (buffer == nullptr)
    {
        buffer = NewBuffer(0, false, nullptr, 0);
        return;
    }
    const int32_t length = Length();
    Buffer* copy = NewBuffer(length, buffer->raw, buffer->Bytes(), length);
    Drop(buffer);
    buffer = copy;
}

KrString::Buffer* KrString::Grow(int64_t needed)
{
    Buffer* old = buffer;
    buffer = NewBuffer(GrownCapacity(old->capacity, needed), old->raw, old->Bytes(), old->length);
    return old;
}

KrString& KrString::Append(const KrString& other)
{
    return AppendBytes(other.Text(), other.Length());
}

KrString& KrString::Append(const char* text)
{
    const char* bytes = text != nullptr ? text : kEmptyText;
    return AppendBytes(bytes, static_cast<int32_t>(std::strlen(bytes)));
}

KrString operator+(const KrString& left, const KrString& right)
{
    KrString sum(left);
    sum.Append(right);
    return sum;
}

KrString KrString::SetLong(int32_t value)
{
    *this = Format("%ld", static_cast<long>(value));
    return *this;
}

KrString KrString::Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list retry;
    va_copy(retry, arguments);
    char text[kFormatStackSize];
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);

    KrString result;
    if (length >= 0 && length < kFormatStackSize)
    {
        result = KrString(text);
    }
    else if (length >= kFormatStackSize)
    {
        // Too long for the stack: format again into a buffer of the exact size.
        result = KrString(NewBuffer(length, false, nullptr, length));
        std::vsnprintf(result.buffer->Bytes(), static_cast<size_t>(length) + 1, format, retry);
    }
    va_end(retry);
    return result;
}

KrString KrString::Substring(int32_t start, int32_t count) const
{
    const int32_t length = Length();
    if (start >= length || count == 0)
        return KrString();
    if (start < 0)
        start = 0;
    if (count < 0 || int64_t(start) + count > length)
        count = length - start;
    return KrString(Text() + start, count, IsRaw());
}

KrString KrString::ReplaceChar(char from, char to) const
{
    KrString result(*this);
    if (FindChar(from, 0) < 0)
        return result;
    result.MakeExclusive(false);
    char* bytes = result.buffer->Bytes();
    const int32_t length = result.Length();
    for (int32_t i = 0; i < length; ++i)
    {
        if (bytes[i] == from)
            bytes[i] = to;
    }
    return result;
}

KrString KrString::ReplaceAll(const KrString& from, const KrString& to) const
{
    KrString result(*this);
    if (from.IsEmpty())
        return result;
    const int32_t fromLength = from.Length();
    for (int32_t at = result.Find(from, 0, false); at >= 0; at = result.Find(from, at + to.Length(), false))
        result = result.Substring(0, at) + to + result.Substring(at + fromLength, -1);
    return result;
}

int32_t KrString::Find(const KrString& needle, int32_t start, bool ignoreCase) const
{
    const char* text = Text();
    const int32_t needleLength = needle.Length();
    const int32_t last = Length() - needleLength;
    for (int32_t at = start < 0 ? 0 : start; at <= last; ++at)
    {
        if (MatchesAt(text + at, needle.Text(), needleLength, ignoreCase))
            return at;
    }
    return -1;
}

int32_t KrString::FindChar(char byte, int32_t start) const
{
    const char* text = Text();
    const int32_t length = Length();
    for (int32_t at = start < 0 ? 0 : start; at < length; ++at)
    {
        if (text[at] == byte)
            return at;
    }
    return -1;
}

int32_t KrString::FindLastChar(char byte) const
{
    const char* text = Text();
    for (int32_t at = Length() - 1; at >= 0; --at)
    {
        if (text[at] == byte)
            return at;
    }
    return -1;
}

int32_t KrString::FindFirstOf(const KrString& set) const
{
    const char* text = Text();
    const int32_t length = Length();
    for (int32_t at = 0; at < length; ++at)
    {
        if (std::memchr(set.Text(), text[at], static_cast<size_t>(set.Length())) != nullptr)
            return at;
    }
    return -1;
}

KrString KrString::Quote() const
{
    const char* text = Text();
    const size_t length = std::strlen(text);
    KrString result(NewBuffer(2 * int64_t(length) + 2, false, nullptr, 0));
    result.Append(kQuote);
    for (size_t i = 0; i < length; ++i)
    {
        if (text[i] == kQuote || text[i] == kEscape)
            result.Append(kEscape);
        result.Append(text[i]);
    }
    result.Append(kQuote);
    return result;
}

KrString KrString::Unquote() const
{
    const char* text = Text();
    const int32_t length = Length();
    if (length < 1 || text[0] != kQuote || text[length - 1] != kQuote)
        KR_RAISE(KrErrFormatErr);
    const int32_t end = length - 1; // the closing quote; a lone quote is both
    KrString result(NewBuffer(end > 1 ? end - 1 : 0, IsRaw(), nullptr, 0));
    for (int32_t i = 1; i < end; ++i)
    {
        const bool escape = text[i] == kEscape && i + 1 < end;
        if (escape && (text[i + 1] == kQuote || text[i + 1] == kEscape))
            ++i;
        result.Append(text[i]);
    }
    return result;
}

bool KrString::IsDelimiter(char byte, const KrString& set)
{
    if (!set.IsEmpty())
        return std::memchr(set.Text(), byte, static_cast<size_t>(set.Length())) != nullptr;
    return byte == '\0' || byte == '\t' || byte == '\n' || byte == '\r' || byte == ' ';
}

KrString KrString::NextToken(int32_t& position, const KrString& set, bool quoted) const
{
    const char* text = Text();
    const int32_t length = Length();
    if (position < 0)
        position = 0;
    while (position < length && IsDelimiter(text[position], set))
        ++position;
    if (position >= length)
        return KrString();

    KrString token(NewBuffer(kTokenCapacity, false, nullptr, 0));
    const char first = text[position++];
    token.Append(first);
    if (quoted && first == kQuote)
    {
        bool escaped = false;
        while (position < length)
        {
            const char c = text[position++];
            if (c == '\0')
                break;
            token.Append(c);
            if (escaped)
                escaped = false;
            else if (c == kEscape)
                escaped = true;
            else if (c == kQuote)
                break;
        }
    }
    else
    {
        while (position < length)
        {
            const char c = text[position++];
            if (IsDelimiter(c, set))
                break;
            token.Append(c);
        }
    }
    return token;
}

KrString KrString::ToUtf16() const
{
    const unsigned char* text = reinterpret_cast<const unsigned char*>(Text());
    const size_t length = std::strlen(Text());
    KrString result(NewBuffer(2 * int64_t(length) + 2, true, nullptr, 0));
    char* out = result.buffer->Bytes();
    int32_t units = 0;
    size_t i = 0;
    while (i < length)
    {
        const Utf8Lead& lead = LeadOf(text[i]);
        uint32_t value = text[i++] & lead.mask;
        for (int more = lead.length - 1; more > 0 && IsContinuation(text[i]); --more)
            value = (value << 6) | (text[i++] & 0x3Fu);
        PutUnit(out, units++, static_cast<char16_t>(value));
    }
    result.buffer->length = 2 * units;
    return result;
}

KrString KrString::ToUtf8() const
{
    if (buffer == nullptr)
        return KrString();
    const char* bytes = Text();
    const int32_t units = Length() / 2;
    KrString result(NewBuffer(4 * int64_t(units), false, nullptr, 0));
    for (int32_t i = 0; i < units; ++i)
    {
        const char16_t v = GetUnit(bytes, i);
        if (v < 0x80)
        {
            result.Append(static_cast<char>(v));
        }
        else if (v < 0x800)
        {
            result.Append(static_cast<char>(0xC0 | v >> 6));
            result.Append(static_cast<char>(0x80 | (v & 0x3F)));
        }
        else
        {
            result.Append(static_cast<char>(0xE0 | v >> 12));
            result.Append(static_cast<char>(0x80 | (v >> 6 & 0x3F)));
            result.Append(static_cast<char>(0x80 | (v & 0x3F)));
        }
    }
    return result;
}

bool KrString::operator==(const KrString& other) const
{
    if (buffer == other.buffer)
        return true;
    if (buffer != nullptr && other.buffer != nullptr && (buffer->raw || other.buffer->raw))
    {
        const int32_t length = Length();
        return length == other.Length() && std::memcmp(Text(), other.Text(), static_cast<size_t>(length)) == 0;
    }
    return std::strcmp(Text(), other.Text()) == 0;
}
