// Streams that misbehave on purpose, for the stream tests.
#pragma once

#include "KrCore/KrError.h"
#include "Krio/KrMemoryStream.h"

#include <string>

// A memory stream whose reads raise once a number of bytes has been delivered, and whose
// seeks or writes can be made to raise.
class RaisingStream : public KrMemoryStream
{
public:
    static constexpr int32_t kNever = -1;

    explicit RaisingStream(std::string bytes, int32_t readsBeforeRaise = kNever)
        : KrMemoryStream(std::move(bytes)), readsLeft(readsBeforeRaise)
    {
    }

    int32_t Read(void* buffer, int32_t count, int32_t* got) override
    {
        if (readsLeft == 0)
            KR_RAISE(KrErrIOErr);
        const int32_t n = KrMemoryStream::Read(buffer, count, got);
        if (readsLeft > 0)
            readsLeft -= 1;
        return n;
    }

    void Write(const void* data, int32_t count, int32_t* written) override
    {
        if (writeRaises)
            KR_RAISE(KrErrFileWriteFailed);
        KrMemoryStream::Write(data, count, written);
    }

    void Seek(int32_t offset, int32_t origin) override
    {
        if (seekRaises)
            KR_RAISE(KrErrFileSeekFailed);
        KrMemoryStream::Seek(offset, origin);
    }

    int32_t readsLeft;
    bool writeRaises = false;
    bool seekRaises = false;
};

// Tells whether it was destroyed.
class WatchedStream : public KrMemoryStream
{
public:
    explicit WatchedStream(bool& destroyed) : destroyed(destroyed) { destroyed = false; }
    ~WatchedStream() override { destroyed = true; }

private:
    bool& destroyed;
};
