#include "Krio/KrFile.h"

#include "KrCore/KrError.h"
#include "KrPlatform/KrPlatform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const int32_t kOpenFailedCode = 12;
const char kReadingFailed[] = "FileNotOpen (for reading, errno=%d): %s";
const char kWritingFailed[] = "FileNotOpen (for writing, errno=%d): %s";

// C library modes of Open, by mode 1 to 3.
struct KrOpenMode
{
    const char* binary;
    const char* text;
    const char* failure;
};

const KrOpenMode kOpenModes[] = {
    {"rb", "r", kReadingFailed},
    {"wb", "w", kWritingFailed},
    {"rb+", "r+", kWritingFailed},
};

// Creates a missing file for the update mode; an existing one keeps its content.
const KrOpenMode kCreateMissing = {"ab", "a", kWritingFailed};

// The error of a failed open: named after the C library's error number and the path.
[[noreturn]] void RaiseOpenFailed(const char* message, int error, const KrString& path)
{
    const KrString name = KrString::Format(message, error, path.Text());
    throw KrError(kOpenFailedCode, name.Text(), nullptr, 0);
}

std::FILE* OpenAs(const KrString& nativePath, const KrOpenMode& mode, bool text)
{
    return KrPlatformOpenFile(nativePath.Text(), text ? mode.text : mode.binary);
}
}

KrFile::~KrFile()
{
    Close();
}

void KrFile::CheckOpen() const
{
    if (handle == nullptr)
        KR_RAISE(KrErrFileNotOpen);
}

int32_t KrFile::Read(void* buffer, int32_t count, int32_t* got)
{
    if (buffer == nullptr || count < 0)
        KR_RAISE(KrErrArgErr);
    CheckOpen();
    const int32_t read = static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), handle));
    if (got != nullptr)
        *got = read;
    return read;
}

void KrFile::Write(const void* data, int32_t count, int32_t* written)
{
    if (data == nullptr || count < 0)
        KR_RAISE(KrErrArgErr);
    CheckOpen();
    const int32_t accepted = static_cast<int32_t>(std::fwrite(data, 1, static_cast<size_t>(count), handle));
    if (written != nullptr)
        *written = accepted;
    // Bytes still in the C library's buffer have not reached the file yet.
    if (accepted < count || std::fflush(handle) != 0)
        KR_RAISE(KrErrFileWriteFailed);
}

void KrFile::Seek(int32_t offset, int32_t origin)
{
    CheckOpen();
    long position = 0;
    int whence = SEEK_SET;
    switch (origin)
    {
    case KrSeekStart:
        position = offset;
        break;
    case KrSeekFromEnd:
        position = long(GetLength()) - offset;
        break;
    case KrSeekCurrent:
        position = offset;
        whence = SEEK_CUR;
        break;
    default:
        KR_RAISE(KrErrArgErr);
    }
    if (std::fseek(handle, position, whence) != 0)
        KR_RAISE(KrErrFileSeekFailed);
}

int32_t KrFile::Tell()
{
    CheckOpen();
    const long position = std::ftell(handle);
    if (position < 0 || position > INT32_MAX)
        KR_RAISE(KrErrFilePosFailed);
    return static_cast<int32_t>(position);
}

KrString KrFile::Describe()
{
    return KrString("KrFile\t") + fileSpec.Path();
}

void KrFile::SetFileSpec(const KrFileSpec& newSpec)
{
    fileSpec = newSpec;
}

void KrFile::GetFileSpec(KrFileSpec& out) const
{
    out = fileSpec;
}

void KrFile::Open(int32_t newMode, bool text)
{
    if (handle != nullptr)
        return;
    const KrString nativePath = fileSpec.NativePath();
    if (nativePath.IsEmpty())
        KR_RAISE(KrErrFileInvalidDesc);
    if (newMode < KrFileModeRead || newMode > KrFileModeUpdate)
        return;
    const KrOpenMode& openMode = kOpenModes[newMode - KrFileModeRead];
    std::FILE* opened = OpenAs(nativePath, openMode, text);
    if (opened == nullptr && newMode == KrFileModeUpdate)
    {
        if (std::FILE* created = OpenAs(nativePath, kCreateMissing, text))
            std::fclose(created);
        opened = OpenAs(nativePath, openMode, text);
    }
    if (opened == nullptr)
        RaiseOpenFailed(openMode.failure, errno, fileSpec.Path());
    handle = opened;
    mode = newMode;
}

void KrFile::Close()
{
    if (handle != nullptr)
        std::fclose(handle);
    handle = nullptr;
    mode = 0;
}

void KrFile::CloseChecked()
{
    const bool flushed = std::fflush(handle) == 0;
    const bool closed = std::fclose(handle) == 0;
    handle = nullptr;
    mode = 0;
    if (!flushed || !closed)
        KR_RAISE(KrErrFileWriteFailed);
}

int32_t KrFile::GetLength()
{
    CheckOpen();
    const long position = std::ftell(handle);
    if (position < 0 || std::fseek(handle, 0, SEEK_END) != 0)
        KR_RAISE(KrErrFileLengthFailed);
    const long length = std::ftell(handle);
    if (std::fseek(handle, position, SEEK_SET) != 0 || length < 0 || length > INT32_MAX)
        KR_RAISE(KrErrFileLengthFailed);
    return static_cast<int32_t>(length);
}

KrString KrFile::ReadAll()
{
    const int32_t rest = GetLength() - Tell();
    if (rest <= 0)
        return KrString();
    std::vector<char> bytes(static_cast<size_t>(rest));
    const int32_t got = Read(bytes.data(), rest, nullptr);
    const bool raw = std::memchr(bytes.data(), '\0', static_cast<size_t>(got)) != nullptr;
    return KrString(bytes.data(), got, raw);
}

void KrFile::WriteString(const KrString& text)
{
    Write(text.Text(), text.Length(), nullptr);
}

void KrFile::Replace(const KrFileSpec& target, const KrString& bytes)
{
    const KrString nativePath = target.NativePath();
    if (nativePath.IsEmpty())
        KR_RAISE(KrErrFileInvalidDesc);
    std::string created;
    KrFile file;
    file.handle = KrPlatformCreateFileBeside(nativePath.Text(), created);
    if (file.handle == nullptr)
        RaiseOpenFailed(kWritingFailed, errno, target.Path());
    file.mode = KrFileModeWrite;
    try
    {
        file.WriteString(bytes);
        file.CloseChecked();
        if (!KrPlatformReplaceFile(created, nativePath.Text()))
            RaiseOpenFailed(kWritingFailed, errno, target.Path());
    }
    catch (...)
    {
        file.Close();
        KrPlatformRemoveFile(created);
        throw;
    }
}
