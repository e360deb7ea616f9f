// A stream wrapped around another one, its inner stream, of which it holds one reference.
#pragma once

#include "Krio/KrStream.h"

class KrFilter : public KrStream
{
public:
    KrFilter() = default;

    KrCastBase* Cast(const char* className) override;
    const char* ClassName() const override; // "KrFilter"
    ~KrFilter() override;                   // releases the inner stream
    // A plain filter moves no bytes: these raise KrUndefProc.
    int32_t Read(void* buffer, int32_t count, int32_t* got) override;
    void Write(const void* data, int32_t count, int32_t* written) override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;
    bool IsSeekable() override; // false, without probing

    // With adopt the filter takes over the caller's reference, else it retains the stream.
    // Setting the stream that is already inner is safe.
    virtual void SetInnerStream(KrStream* stream, bool adopt);
    virtual void ReleaseInnerStream();
    virtual KrStream* GetInnerStream() const; // no new reference
    // Hands the request on to an inner filter; nothing acts on it yet.
    virtual void PassDown();

private:
    KrStream* inner = nullptr;
};
