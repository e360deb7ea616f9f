#include "Krio/KrFilter.h"

#include "KrCore/KrError.h"

namespace
{
const char kClassName[] = "KrFilter";
}

KrCastBase* KrFilter::Cast(const char* className)
{
    return IsNamed(className, kClassName) ? this : KrStream::Cast(className);
}

const char* KrFilter::ClassName() const
{
    return kClassName;
}

KrFilter::~KrFilter()
{
    ReleaseInnerStream();
}

int32_t KrFilter::Read(void*, int32_t, int32_t*)
{
    KR_RAISE(KrErrUndefProc);
}

void KrFilter::Write(const void*, int32_t, int32_t*)
{
    KR_RAISE(KrErrUndefProc);
}

void KrFilter::Seek(int32_t, int32_t)
{
    KR_RAISE(KrErrUndefProc);
}

int32_t KrFilter::Tell()
{
    KR_RAISE(KrErrUndefProc);
}

bool KrFilter::IsSeekable()
{
    return false;
}

void KrFilter::SetInnerStream(KrStream* stream, bool adopt)
{
    // Retain before releasing, so that setting the inner stream again keeps it alive.
    if (stream != nullptr && !adopt)
        stream->Retain();
    KrStream* old = inner;
    inner = stream;
    if (old != nullptr)
        old->Release();
}

void KrFilter::ReleaseInnerStream()
{
    KrStream* old = inner;
    inner = nullptr;
    if (old != nullptr)
        old->Release();
}

KrStream* KrFilter::GetInnerStream() const
{
    return inner;
}

void KrFilter::PassDown()
{
    if (inner == nullptr)
        return;
    if (KrCastBase* filter = inner->Cast(kClassName))
        static_cast<KrFilter*>(filter)->PassDown();
}
