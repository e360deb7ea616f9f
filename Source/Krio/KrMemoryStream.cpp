#include "Krio/KrMemoryStream.h"

#include "KrCore/KrError.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace
{
void CheckBytes(const void* bytes, int32_t count)
{
    if (count < 0 || (bytes == nullptr && count > 0))
        KR_RAISE(KrErrArgErr);
}
}

KrMemoryStream::KrMemoryStream(std::string bytes) : bytes(std::move(bytes))
{
    if (this->bytes.size() > size_t(std::numeric_limits<int32_t>::max()))
        KR_RAISE(KrErrArgErr);
}

int32_t KrMemoryStream::Read(void* buffer, int32_t count, int32_t* got)
{
    CheckBytes(buffer, count);
    const int64_t available = std::max<int64_t>(0, int64_t(bytes.size()) - position);
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(count, available));
    if (n > 0)
        std::memcpy(buffer, bytes.data() + position, size_t(n));
    position += n;
    if (got != nullptr)
        *got = n;
    return n;
}

void KrMemoryStream::Write(const void* data, int32_t count, int32_t* written)
{
    CheckBytes(data, count);
    const int64_t end = int64_t(position) + count;
    if (end > std::numeric_limits<int32_t>::max())
        KR_RAISE(KrErrArgErr);
    if (size_t(end) > bytes.size())
        bytes.resize(size_t(end), '\0');
    if (count > 0)
        std::memcpy(&bytes[size_t(position)], data, size_t(count));
    position = static_cast<int32_t>(end);
    if (written != nullptr)
        *written = count;
}

void KrMemoryStream::Seek(int32_t offset, int32_t origin)
{
    int64_t target = 0;
    switch (origin)
    {
    case KrSeekStart:
        target = offset;
        break;
    case KrSeekFromEnd:
        target = int64_t(bytes.size()) - offset;
        break;
    case KrSeekCurrent:
        target = int64_t(position) + offset;
        break;
    default:
        KR_RAISE(KrErrArgErr);
    }
    if (target < 0 || target > std::numeric_limits<int32_t>::max())
        KR_RAISE(KrErrArgErr);
    position = static_cast<int32_t>(target);
}

int32_t KrMemoryStream::Tell()
{
    return position;
}
