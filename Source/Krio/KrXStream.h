// Text on top of any stream: characters, words, lines, a word search, remembered positions and
// formatted writing with an optional line width. It has no buffer: each character read is one
// Read of one byte on the inner stream, and every write goes straight through.
#pragma once

#include "Krio/KrFilter.h"

#include <cstdarg>
#include <cstdint>

class KrXStream : public KrFilter
{
public:
    // Typical use: a local KrXStream over a caller's stream with adopt false.
    explicit KrXStream(KrStream* inner = nullptr, bool adopt = false);

    // Read, Seek and Tell go to the inner stream; without one they raise KrEOFReached.
    int32_t Read(void* buffer, int32_t count, int32_t* got) override;
    // Without an inner stream a write does nothing. Keeps the column while a line width is set.
    void Write(const void* data, int32_t count, int32_t* written) override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;
    // Also forgets every remembered position.
    void SetInnerStream(KrStream* stream, bool adopt) override;

    // The next byte as 0..255, or -1 at the end of the data or when reading raises.
    virtual int32_t GetChar();
    // A stack of up to 10 positions; overflow and underflow raise KrBufferError.
    virtual void PushMark();
    virtual void PopMark();
    // Reads words until one equals word (case-sensitive); the stream then stands after its
    // separator. KrNotFound when the data ends first or a word cannot be read.
    virtual void SkipTo(const char* word);
    // The next word delimited by NUL, TAB, LF, CR or space; empty at the end of the data. The
    // word and its NUL must fit in size bytes, else KrBufferTooSmall. *terminator receives the
    // separator that ended the word, or NUL at the end of the data. buffer and terminator may
    // be null, to skip a word. The buffer holds a terminated text even when a read raises.
    virtual void ReadWord(char* buffer, uint32_t size, char* terminator);
    // The next line, ended by LF, CR, CR LF, LF CR or NUL, without its line end; reading the
    // byte after a lone line end steps back one byte with Seek. The line and its NUL must fit in
    // size bytes, else KrBufferTooSmall; with a null buffer up to size bytes are skipped.
    virtual void ReadLine(char* buffer, uint32_t size);
    // Writes text, first ending a begun line when the text would pass the line width; never
    // splits it. Answers the number of bytes of the text.
    virtual int32_t WriteText(const char* text);
    virtual int32_t Printf(const char* format, ...) KR_PRINTF_FORMAT(2, 3);
    virtual int32_t VPrintf(const char* format, va_list arguments) KR_PRINTF_FORMAT(2, 0);
    // The string's bytes, with no line width check.
    virtual void WriteString(const KrString& text);
    // 0: no wrapping, and the column is no longer kept.
    virtual void SetLineWidth(int32_t width);
    // Characters written since the last line end (kept while a line width is set).
    virtual int32_t GetColumn() const;

private:
    static constexpr int32_t kMarkCapacity = 10;

    // One byte through Read: false when none arrived.
    bool ReadByte(unsigned char& byte);
    void TrackColumn(const unsigned char* bytes, int32_t count);

    int32_t marks[kMarkCapacity] = {};
    int32_t markCount = 0;
    int32_t column = 0;
    int32_t lineWidth = 0;
};
