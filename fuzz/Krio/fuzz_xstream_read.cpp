// ReadWord, ReadLine and GetChar over arbitrary bytes, with caller buffers of every size from 0
// to 39 bytes (each exactly that large, so a write past it is caught) and an inner stream that
// may raise part way. Words hold no separator, lines no line end, both end in a NUL inside the
// buffer, and the reading always comes to an end.
#include "../../tests/Krio/KrTestStreams.h"
#include "KrCore/KrError.h"
#include "Krio/KrXStream.h"
#include "KrPlatform/KrPlatform.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{
enum Operation
{
    kWord,
    kWordSkipped,
    kLine,
    kLineSkipped,
    kChar,
    kOperationCount
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void Run(KrXStream& stream, Operation operation, uint32_t size)
{
    std::unique_ptr<char[]> buffer(new char[size]);
    char terminator = 'X';
    switch (operation)
    {
    case kWord:
        stream.ReadWord(size > 0 ? buffer.get() : nullptr, size, &terminator);
        Check(std::memchr(buffer.get(), '\0', size) != nullptr);
        Check(std::strpbrk(buffer.get(), "\t\n\r ") == nullptr);
        Check(std::strchr("\t\n\r \0", terminator) != nullptr);
        break;
    case kWordSkipped:
        stream.ReadWord(nullptr, size, nullptr);
        break;
    case kLine:
        stream.ReadLine(size > 0 ? buffer.get() : nullptr, size);
        Check(size == 0 || std::memchr(buffer.get(), '\0', size) != nullptr);
        Check(size == 0 || std::strpbrk(buffer.get(), "\n\r") == nullptr);
        break;
    case kLineSkipped:
        stream.ReadLine(nullptr, size);
        break;
    default:
        Check(stream.GetChar() >= -1);
        break;
    }
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
    // Header: the number of reads before the stream raises (0: never), then the number of
    // control bytes that follow; each control byte picks an operation and a buffer size.
    if (size < 2)
        return 0;
    const int32_t readsBeforeRaise = data[0] == 0 ? RaisingStream::kNever : data[0];
    const size_t controlCount = 1 + data[1] % 16;
    if (size < 2 + controlCount)
        return 0;
    const uint8_t* control = data + 2;
    const std::string bytes(reinterpret_cast<const char*>(control + controlCount), size - 2 - controlCount);

    RaisingStream inner(bytes, readsBeforeRaise);
    KrXStream stream(&inner, false);
    const size_t maxSteps = 2 * bytes.size() + 16;
    for (size_t step = 0; step < maxSteps && inner.Tell() < int32_t(bytes.size()); ++step)
    {
        const uint8_t pick = control[step % controlCount];
        const int32_t before = inner.Tell();
        try
        {
            Run(stream, Operation(pick % kOperationCount), pick / kOperationCount % 40);
        }
        catch (const KrError&)
        {
        }
        Check(inner.Tell() >= before && inner.Tell() <= int32_t(bytes.size()));
    }
    return 0;
}
