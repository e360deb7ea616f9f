// SkipTo over arbitrary bytes for a word taken from the input. It either raises KrNotFound or
// leaves the stream just after a whole word equal to the one sought and its separator.
#include "KrCore/KrError.h"
#include "Krio/KrMemoryStream.h"
#include "Krio/KrXStream.h"
#include "KrPlatform/KrPlatform.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
bool IsSeparator(char c)
{
    return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}
}

// The error line that every raise writes to the debug log is not what is checked here.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    KrPlatformSetDebugSink([](const std::u16string&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte gives the length of the word, which follows; the rest is the stream.
    if (size < 1)
        return 0;
    const size_t wordLength = data[0] % 120;
    if (size < 1 + wordLength)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::string word(bytes + 1, wordLength);
    const std::string text(bytes + 1 + wordLength, size - 1 - wordLength);

    KrMemoryStream inner(text);
    KrXStream stream(&inner, false);
    try
    {
        stream.SkipTo(word.c_str());
    }
    catch (const KrError& error)
    {
        if (error.Code() != KrErrNotFound.code)
            std::abort();
        return 0;
    }
    // Found: the word just read, as far as its first NUL, ends before a separator that was
    // read too, or at the end of the data; it starts the text or follows a separator.
    const std::string sought = word.c_str();
    const size_t position = size_t(inner.Tell());
    const bool atEnd = position == text.size() && position > 0 && !IsSeparator(text[position - 1]);
    const size_t wordEnd = atEnd ? position : position - 1;
    if (sought.empty() || position == 0 || wordEnd < sought.size() || (!atEnd && !IsSeparator(text[wordEnd])))
        std::abort();
    const size_t start = wordEnd - sought.size();
    if (text.compare(start, sought.size(), sought) != 0 || (start > 0 && !IsSeparator(text[start - 1])))
        std::abort();
    return 0;
}
