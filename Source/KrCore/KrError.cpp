#include "KrCore/KrError.h"

#include "KrCore/KrLog.h"

#include <cstring>

namespace
{
const char kUnknownName[] = "Unknown";

std::unique_ptr<char[]> CopyText(const char* text)
{
    if (text == nullptr)
        return nullptr;
    const size_t size = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), text, size);
    return copy;
}

// The text after the last '/' or '\'.
const char* LastPathComponent(const char* path)
{
    const char* component = path;
    for (const char* p = path; *p != '\0'; ++p)
    {
        if (*p == '/' || *p == '\\')
            component = p + 1;
    }
    return component;
}

bool IsVowel(char c)
{
    return c != '\0' && std::strchr("aeiouAEIOU", c) != nullptr;
}

// "KrFormatErr" reads "FormatErr"; "KrIndexError" keeps its prefix since a vowel follows.
const char* WithoutPrefix(const char* text)
{
    const bool hasPrefix = (text[0] == 'K' || text[0] == 'k') && (text[1] == 'R' || text[1] == 'r');
    return hasPrefix && !IsVowel(text[2]) ? text + 2 : text;
}
}

KrError::KrError(int32_t code, const char* name, const char* file, int32_t line)
{
    const char* shownFile = file != nullptr ? WithoutPrefix(LastPathComponent(file)) : nullptr;
    const char* shownName = name != nullptr ? WithoutPrefix(name) : nullptr;
    WriteLogLine(code, shownName, shownFile, line);

    if (shownName == nullptr && code != 0)
        shownName = kUnknownName;
    this->code = code;
    this->name = CopyText(shownName);
    this->file = CopyText(shownFile);
    this->line = line;
}

KrError::KrError(const KrError& other)
    : code(other.code), name(CopyText(other.Name())), file(CopyText(other.File())), line(other.line)
{
}

KrError& KrError::operator=(const KrError& other)
{
    if (this != &other)
        *this = KrError(other);
    return *this;
}

// The debug log writes the error line from here; it never raises.
void KrError::WriteLogLine(int32_t code, const char* name, const char* file, int32_t line)
{
    // Codes that build an error without a log line.
    constexpr int32_t kUnloggedCodes[] = {0, 56};
    for (const int32_t unlogged : kUnloggedCodes)
    {
        if (code == unlogged)
            return;
    }
    LogFormat(0, "Error: %d \"%s\", file \"%s\", line %d", code, name != nullptr ? name : "",
              file != nullptr ? file : "", line);
}
