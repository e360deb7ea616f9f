#include "KrCore/KrLog.h"

#include "KrCore/KrOutputDebugStream.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
// The level while a message is being written: anything logged meanwhile is dropped.
constexpr int32_t kLevelWhileWriting = -1;

int32_t logLevel = 0;
KrStream* currentLogStream = nullptr;
KrOutputDebugStream* defaultLogStream = nullptr;

bool IsSuppressed(int32_t level)
{
    return level > logLevel || logLevel == kLevelWhileWriting;
}

void UseDefaultStreamIfNone()
{
    if (currentLogStream != nullptr)
        return;
    currentLogStream = GetDefaultLogStream();
    currentLogStream->Retain();
}
}

void LogText(int32_t level, const char* text)
{
    if (IsSuppressed(level))
        return;
    const int32_t rememberedLevel = logLevel;
    try
    {
        UseDefaultStreamIfNone();
        logLevel = kLevelWhileWriting;
        const char* message = text != nullptr ? text : "";
        const size_t length = std::strlen(message);
        currentLogStream->Write(message, static_cast<int32_t>(length), nullptr);
        if (length > 0 && message[length - 1] != '\n')
            currentLogStream->Write("\n", 1, nullptr);
    }
    catch (...)
    {
        // The message is lost; the log itself goes on.
    }
    logLevel = rememberedLevel;
}

void LogFormat(int32_t level, const char* format, ...)
{
    if (IsSuppressed(level))
        return;
    char message[4096];
    va_list arguments;
    va_start(arguments, format);
    const int formatted = std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    if (formatted < 0)
        message[0] = '\0';
    // Only a message that fits keeps room for its line feed; a longer one was cut to 4095
    // bytes and gets its line feed from LogText.
    const size_t length = std::strlen(message);
    if (length > 0 && length < sizeof message - 1 && message[length - 1] != '\n')
    {
        message[length] = '\n';
        message[length + 1] = '\0';
    }
    LogText(level, message);
}

void SetLogStream(KrStream* stream)
{
    if (stream != currentLogStream)
    {
        if (currentLogStream != nullptr)
            currentLogStream->Release();
        currentLogStream = stream;
    }
    UseDefaultStreamIfNone();
}

KrOutputDebugStream* GetDefaultLogStream()
{
    if (defaultLogStream == nullptr)
        defaultLogStream = new KrOutputDebugStream();
    return defaultLogStream;
}
