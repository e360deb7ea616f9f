// A stream on a disk file, named by a file specification and opened through the platform layer.
#pragma once

#include "Krio/KrFileSpec.h"
#include "Krio/KrStream.h"

#include <cstdint>
#include <cstdio>

// Modes of Open.
enum KrFileMode : int32_t
{
    KrFileModeRead = 1,   // an existing file
    KrFileModeWrite = 2,  // created, or emptied when it exists
    KrFileModeUpdate = 3, // read and write; created when missing, never emptied
};

class KrFile : public KrStream
{
public:
    KrFile() = default;
    ~KrFile() override; // closes an open file

    // A null buffer or a negative count raises KrArgErr, a closed file KrFileNotOpen.
    int32_t Read(void* buffer, int32_t count, int32_t* got) override;
    // Returns only when the bytes have reached the file (they are flushed); otherwise raises
    // KrFileWriteFailed. Null data or a negative count raise KrArgErr.
    void Write(const void* data, int32_t count, int32_t* written) override;
    void Seek(int32_t offset, int32_t origin) override;
    // A position beyond 2 GiB - 1 raises KrFilePosFailed.
    int32_t Tell() override;
    KrString Describe() override; // "KrFile\t" and the path

    // Takes over the path and codes; an open file stays open on the file it was opened on.
    virtual void SetFileSpec(const KrFileSpec& fileSpec);
    virtual void GetFileSpec(KrFileSpec& out) const;
    // Does nothing when already open, or for a mode other than 1, 2 and 3. An empty path
    // raises KrFileInvalidDesc; a failing open raises code 12 named after errno and the path.
    virtual void Open(int32_t mode, bool text);
    virtual void Close(); // never raises
    // A length beyond 2 GiB - 1 raises KrFileLengthFailed.
    virtual int32_t GetLength();
    // The rest of the file: a raw string when it holds a zero byte, else text.
    virtual KrString ReadAll();
    virtual void WriteString(const KrString& text);

    int32_t Mode() const { return mode; } // 0 while closed

    // Gives the file of fileSpec exactly these bytes, all or nothing: they go to a new file in the
    // same folder, which then takes the old file's place. Any failure raises the file error
    // and leaves the old file as it was.
    static void Replace(const KrFileSpec& fileSpec, const KrString& bytes);

private:
    // Flushes and closes; raises KrFileWriteFailed when either fails. Closed in any case.
    void CloseChecked();
    void CheckOpen() const;

    std::FILE* handle = nullptr;
    KrFileSpec fileSpec;
    int32_t mode = 0;
};
