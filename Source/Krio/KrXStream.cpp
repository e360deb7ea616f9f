#include "Krio/KrXStream.h"

#include "KrCore/KrError.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace
{
// Formatting buffer shared by every extended stream: formatted writing is not re-entrant.
char formatBuffer[4096];

// The word of SkipTo is read into a local buffer of this size.
constexpr uint32_t kSkipWordSize = 100;

bool IsWordSeparator(unsigned char byte)
{
    return byte == '\0' || byte == '\t' || byte == '\n' || byte == '\r' || byte == ' ';
}

bool IsLineEnd(unsigned char byte)
{
    return byte == '\n' || byte == '\r';
}

// Counts and the column are 32-bit: larger values stop at the largest one.
int32_t Clamped(int64_t value)
{
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                        : static_cast<int32_t>(value);
}
}

KrXStream::KrXStream(KrStream* inner, bool adopt)
{
    KrFilter::SetInnerStream(inner, adopt);
}

int32_t KrXStream::Read(void* buffer, int32_t count, int32_t* got)
{
    KrStream* inner = GetInnerStream();
    if (inner == nullptr)
        KR_RAISE(KrErrEOFReached);
    return inner->Read(buffer, count, got);
}

void KrXStream::Write(const void* data, int32_t count, int32_t* written)
{
    KrStream* inner = GetInnerStream();
    if (inner == nullptr)
        return;
    // The column follows only what the inner stream accepted.
    inner->Write(data, count, written);
    if (count > 0 && lineWidth != 0 && data != nullptr)
        TrackColumn(static_cast<const unsigned char*>(data), count);
}

void KrXStream::Seek(int32_t offset, int32_t origin)
{
    KrStream* inner = GetInnerStream();
    if (inner == nullptr)
        KR_RAISE(KrErrEOFReached);
    inner->Seek(offset, origin);
}

int32_t KrXStream::Tell()
{
    KrStream* inner = GetInnerStream();
    if (inner == nullptr)
        KR_RAISE(KrErrEOFReached);
    return inner->Tell();
}

void KrXStream::SetInnerStream(KrStream* stream, bool adopt)
{
    markCount = 0;
    KrFilter::SetInnerStream(stream, adopt);
}

bool KrXStream::ReadByte(unsigned char& byte)
{
    return Read(&byte, 1, nullptr) > 0;
}

int32_t KrXStream::GetChar()
{
    try
    {
        unsigned char byte;
        return ReadByte(byte) ? byte : -1;
    }
    catch (...)
    {
        return -1;
    }
}

void KrXStream::PushMark()
{
    if (markCount == kMarkCapacity)
        KR_RAISE(KrErrBufferError);
    marks[markCount] = Tell();
    ++markCount;
}

void KrXStream::PopMark()
{
    if (markCount == 0)
        KR_RAISE(KrErrBufferError);
    Seek(marks[markCount - 1], KrSeekStart);
    --markCount;
}

void KrXStream::SkipTo(const char* word)
{
    if (word == nullptr)
        KR_RAISE(KrErrArgErr);
    char found[kSkipWordSize];
    for (;;)
    {
        try
        {
            ReadWord(found, sizeof found, nullptr);
        }
        catch (...)
        {
            KR_RAISE(KrErrNotFound);
        }
        if (found[0] == '\0') // end of the data
            KR_RAISE(KrErrNotFound);
        if (std::strcmp(found, word) == 0)
            return;
    }
}

void KrXStream::ReadWord(char* buffer, uint32_t size, char* terminator)
{
    if (size == 0)
        KR_RAISE(KrErrBufferTooSmall);
    // The buffer stays terminated after every stored byte, so it is a text even if a read raises.
    uint32_t length = 0;
    if (buffer != nullptr)
        buffer[0] = '\0';
    unsigned char byte;
    while (ReadByte(byte))
    {
        if (IsWordSeparator(byte))
        {
            if (length == 0)
                continue;
            if (terminator != nullptr)
                *terminator = static_cast<char>(byte);
            return;
        }
        if (length + 1 == size) // no room left for this byte and the NUL
            KR_RAISE(KrErrBufferTooSmall);
        if (buffer != nullptr)
        {
            buffer[length] = static_cast<char>(byte);
            buffer[length + 1] = '\0';
        }
        ++length;
    }
    if (terminator != nullptr)
        *terminator = '\0';
}

void KrXStream::ReadLine(char* buffer, uint32_t size)
{
    if (size == 0)
    {
        if (buffer != nullptr)
            KR_RAISE(KrErrBufferTooSmall);
        return;
    }
    uint32_t length = 0;
    if (buffer != nullptr)
        buffer[0] = '\0';
    // A read that raises ends a line already begun; with nothing read yet the error passes on.
    auto readByte = [&](unsigned char& byte) {
        try
        {
            return ReadByte(byte);
        }
        catch (...)
        {
            if (length == 0)
                throw;
            return false;
        }
    };

    unsigned char byte;
    while (readByte(byte))
    {
        if (byte == '\0')
            return;
        if (IsLineEnd(byte))
        {
            // A CR after LF, or LF after CR, belongs to the same line end; anything else is
            // the start of the next line.
            const unsigned char partner = byte == '\n' ? '\r' : '\n';
            unsigned char next;
            if (readByte(next) && next != partner)
                Seek(-1, KrSeekCurrent);
            return;
        }
        if (length + 1 == size) // no room left for this byte and the NUL
        {
            if (buffer != nullptr)
                KR_RAISE(KrErrBufferTooSmall);
            return;
        }
        if (buffer != nullptr)
        {
            buffer[length] = static_cast<char>(byte);
            buffer[length + 1] = '\0';
        }
        ++length;
    }
}

int32_t KrXStream::WriteText(const char* text)
{
    if (text == nullptr)
        text = "";
    const int32_t count = Clamped(int64_t(std::strlen(text)));
    // A new line only when the text would pass the width and the line is not empty yet.
    if (lineWidth != 0 && column > 0 && int64_t(column) + count > lineWidth)
        Write("\n", 1, nullptr);
    Write(text, count, nullptr);
    return count;
}

int32_t KrXStream::Printf(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    try
    {
        const int32_t result = VPrintf(format, arguments);
        va_end(arguments);
        return result;
    }
    catch (...)
    {
        va_end(arguments);
        throw;
    }
}

int32_t KrXStream::VPrintf(const char* format, va_list arguments)
{
    va_list again;
    va_copy(again, arguments);
    const int needed = std::vsnprintf(formatBuffer, sizeof formatBuffer, format, arguments);
    std::unique_ptr<char[]> longText;
    if (needed >= int(sizeof formatBuffer))
    {
        // Longer text does not fit the shared buffer: format it again into one of its own.
        longText.reset(new (std::nothrow) char[size_t(needed) + 1]);
        if (longText)
            std::vsnprintf(longText.get(), size_t(needed) + 1, format, again);
    }
    va_end(again);
    if (needed >= int(sizeof formatBuffer) && !longText)
        throw std::bad_alloc();
    // A negative answer is an encoding error: nothing worth writing.
    return WriteText(needed < 0 ? "" : longText ? longText.get() : formatBuffer);
}

void KrXStream::WriteString(const KrString& text)
{
    Write(text.Text(), text.Length(), nullptr);
}

void KrXStream::SetLineWidth(int32_t width)
{
    lineWidth = width;
}

int32_t KrXStream::GetColumn() const
{
    return column;
}

void KrXStream::TrackColumn(const unsigned char* bytes, int32_t count)
{
    for (int32_t k = count - 1; k >= 0; --k)
    {
        if (IsLineEnd(bytes[k]))
        {
            column = count - k - 1;
            return;
        }
    }
    column = Clamped(int64_t(column) + count);
}
