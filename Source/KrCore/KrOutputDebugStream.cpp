#include "KrCore/KrOutputDebugStream.h"

#include "KrCore/KrString.h"
#include "KrPlatform/KrPlatform.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
// Shared by every debug-output stream.
char textBuffer[4096];
}

void KrOutputDebugStream::Write(const void* data, int32_t count, int32_t*)
{
    if (data == nullptr || count < 0)
        return;
    const size_t n = std::min(size_t(count), sizeof textBuffer - 1);
    std::memcpy(textBuffer, data, n);
    textBuffer[n] = '\0';

    const KrString units = KrString(textBuffer).ToUtf16();
    std::u16string text(size_t(units.Length()) / 2, u'\0');
    std::memcpy(&text[0], units.Text(), 2 * text.size());
    KrPlatformDebugOutput(text);
}
