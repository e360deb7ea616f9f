// A seekable stream over bytes held in memory: reading and writing text without files.
#pragma once

#include "Krio/KrStream.h"

#include <string>

class KrMemoryStream : public KrStream
{
public:
    explicit KrMemoryStream(std::string bytes = std::string());

    // A null buffer or data with a positive count, and a negative count, raise KrArgErr.
    int32_t Read(void* buffer, int32_t count, int32_t* got) override;
    // Overwrites from the current position; a gap left by seeking past the end reads as zeros.
    void Write(const void* data, int32_t count, int32_t* written) override;
    // An unknown origin, or a target before the start or beyond 2 GiB, raises KrArgErr.
    void Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;

    const std::string& Contents() const { return bytes; }

private:
    std::string bytes;
    int32_t position = 0;
};
