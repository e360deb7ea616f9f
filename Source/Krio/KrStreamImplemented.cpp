#include "Krio/KrStreamImplemented.h"

#include "KrCore/KrError.h"

int32_t KrStreamImplemented::Read(void*, int32_t, int32_t*)
{
    KR_RAISE(KrErrUndefProc);
}

void KrStreamImplemented::Seek(int32_t, int32_t)
{
    KR_RAISE(KrErrUndefProc);
}

int32_t KrStreamImplemented::Tell()
{
    KR_RAISE(KrErrUndefProc);
}
