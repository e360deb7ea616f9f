#include "Krio/KrStream.h"

#include "KrCore/KrError.h"

KrString KrStream::Describe()
{
    return KrString("KrStream");
}

bool KrStream::IsSeekable()
{
    try
    {
        Seek(0, KrSeekCurrent);
        return true;
    }
    catch (const KrError&)
    {
        return false;
    }
}
