#include "Krio/KrMemoryStream.h"
#include "Krio/KrXStream.h"
#include "KrTestStreams.h"
#include "../KrCore/KrExpectError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using namespace std::string_literals;

// A caller's buffer of size bytes with guard bytes behind it, to see writes past its end.
class GuardedBuffer
{
public:
    explicit GuardedBuffer(uint32_t size) : size(size), bytes(size + kGuard, kFill) {}

    char* Data() { return bytes.data(); }
    bool GuardIntact() const
    {
        for (uint32_t i = size; i < bytes.size(); ++i)
        {
            if (bytes[i] != kFill)
                return false;
        }
        return true;
    }
    bool Terminated() const { return std::memchr(bytes.data(), '\0', size) != nullptr; }
    std::string Text() const { return std::string(bytes.data()); }

private:
    static constexpr uint32_t kGuard = 16;
    static constexpr char kFill = '#';
    uint32_t size;
    std::vector<char> bytes;
};

std::string Shown(const std::string& text)
{
    std::string shown;
    for (char c : text)
    {
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}

int32_t Length(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}
}

TEST(KrXStream, WithoutAnInnerStream)
{
    KrXStream stream;
    char byte = 0;
    stream.Write("abc", 3, nullptr); // nothing happens
    stream.WriteText("abc");
    EXPECT_RAISES(stream.Read(&byte, 1, nullptr), KrErrEOFReached);
    EXPECT_RAISES(stream.Seek(0, KrSeekStart), KrErrEOFReached);
    EXPECT_RAISES(stream.Tell(), KrErrEOFReached);
    EXPECT_RAISES(stream.PushMark(), KrErrEOFReached);
    EXPECT_EQ(stream.GetChar(), -1);
}

TEST(KrXStream, ForwardsToTheInnerStreamAndKeepsItsReference)
{
    KrMemoryStream inner("xyz");
    {
        KrXStream stream(&inner, false);
        EXPECT_EQ(inner.RefCount(), 2);
        EXPECT_EQ(stream.GetChar(), 'x');
        stream.Seek(1, KrSeekFromEnd);
        EXPECT_EQ(stream.Tell(), 2);
        EXPECT_EQ(stream.GetChar(), 'z');
        EXPECT_EQ(stream.GetChar(), -1);
        stream.Write("!", 1, nullptr);
    }
    EXPECT_EQ(inner.RefCount(), 1);
    EXPECT_EQ(inner.Contents(), "xyz!");
}

TEST(KrXStream, GetCharAnswersEveryByteValueAndSwallowsErrors)
{
    const std::string bytes = "\x00\x7f\x80\xff"s;
    KrMemoryStream inner(bytes);
    KrXStream stream(&inner, false);
    for (unsigned char expected : bytes)
        EXPECT_EQ(stream.GetChar(), expected);
    EXPECT_EQ(stream.GetChar(), -1);

    RaisingStream raising("ab", 1);
    KrXStream overRaising(&raising, false);
    EXPECT_EQ(overRaising.GetChar(), 'a');
    EXPECT_EQ(overRaising.GetChar(), -1);
}

TEST(KrXStream, ReadsWords)
{
    struct Case
    {
        std::string data;
        std::vector<std::pair<std::string, char>> words; // word and terminator, then the empty word
    };
    const std::vector<Case> cases = {
        {"  alpha\tbeta", {{"alpha", '\t'}, {"beta", '\0'}, {"", '\0'}}},
        {"one two\nthree\r", {{"one", ' '}, {"two", '\n'}, {"three", '\r'}, {"", '\0'}}},
        {"x\0y"s, {{"x", '\0'}, {"y", '\0'}, {"", '\0'}}},
        {" \t\r\n\0 "s, {{"", '\0'}}},
        {"", {{"", '\0'}, {"", '\0'}}},
        {"\xc3\xa9t\xc3\xa9 caf\xc3\xa9", {{"\xc3\xa9t\xc3\xa9", ' '}, {"caf\xc3\xa9", '\0'}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Shown(c.data));
        KrMemoryStream inner(c.data);
        KrXStream stream(&inner, false);
        for (const auto& [word, terminator] : c.words)
        {
            char buffer[16];
            char found = 'X';
            stream.ReadWord(buffer, sizeof buffer, &found);
            EXPECT_EQ(buffer, word);
            EXPECT_EQ(found, terminator);
        }
    }
}

TEST(KrXStream, ReadWordNeverPassesTheCallersBuffer)
{
    // Each word needs its length plus one byte; smaller buffers raise.
    const std::string data = "abcd efghijk  x";
    const std::vector<std::string> words = {"abcd", "efghijk", "x", ""};
    for (uint32_t size = 0; size <= 10; ++size)
    {
        SCOPED_TRACE(size);
        KrMemoryStream inner(data);
        KrXStream stream(&inner, false);
        for (const std::string& word : words)
        {
            GuardedBuffer buffer(size);
            if (word.size() + 1 > size)
            {
                EXPECT_RAISES(stream.ReadWord(buffer.Data(), size, nullptr), KrErrBufferTooSmall);
                EXPECT_TRUE(size == 0 || buffer.Terminated());
                EXPECT_TRUE(buffer.GuardIntact());
                break;
            }
            stream.ReadWord(buffer.Data(), size, nullptr);
            EXPECT_EQ(buffer.Text(), word);
            EXPECT_TRUE(buffer.GuardIntact());
        }
    }
}

TEST(KrXStream, ReadWordSizeExamples)
{
    struct Case
    {
        const char* data;
        uint32_t size;
        bool fits;
    };
    const Case cases[] = {
        {"abcde ", 5, false}, {"abcd ", 5, true}, {"abcd", 5, true}, {"", 1, true}, {"a", 1, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.data);
        KrMemoryStream inner(c.data);
        KrXStream stream(&inner, false);
        char buffer[8];
        if (c.fits)
        {
            stream.ReadWord(buffer, c.size, nullptr);
            EXPECT_STREQ(buffer, c.data[0] == '\0' ? "" : "abcd");
        }
        else
        {
            EXPECT_RAISES(stream.ReadWord(buffer, c.size, nullptr), KrErrBufferTooSmall);
        }
    }
    KrMemoryStream inner("word");
    KrXStream stream(&inner, false);
    EXPECT_RAISES(stream.ReadWord(nullptr, 0, nullptr), KrErrBufferTooSmall);
    EXPECT_EQ(inner.Tell(), 0); // nothing was read
    stream.ReadWord(nullptr, 5, nullptr); // skips the word
    EXPECT_EQ(inner.Tell(), 4);
}

TEST(KrXStream, ReadWordLetsReadErrorsPassAndKeepsWhatItRead)
{
    RaisingStream inner("abcdef", 3);
    KrXStream stream(&inner, false);
    char buffer[16];
    EXPECT_RAISES(stream.ReadWord(buffer, sizeof buffer, nullptr), KrErrIOErr);
    EXPECT_STREQ(buffer, "abc");
}

TEST(KrXStream, ReadsLinesWithEveryLineEnd)
{
    struct Case
    {
        std::string data;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"one\r\ntwo\n\rthree\rfour", {"one", "two", "three", "four"}},
        {"a\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\r\n\rb", {"a", "", "b"}},
        {"a\r\n\nb", {"a", "", "b"}},
        {"a\n", {"a"}},
        {"a\r", {"a"}},
        {"\n", {""}},
        {"a\0b"s, {"a", "b"}},
        {"a\n\0b"s, {"a", "", "b"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Shown(c.data));
        KrMemoryStream inner(c.data);
        KrXStream stream(&inner, false);
        std::vector<std::string> lines;
        while (stream.Tell() < Length(c.data) && lines.size() <= c.lines.size())
        {
            char buffer[16];
            stream.ReadLine(buffer, sizeof buffer);
            lines.push_back(buffer);
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(KrXStream, ReadLineNeverPassesTheCallersBuffer)
{
    const std::string data = "abcd\nefghijk\r\n\nx";
    const std::vector<std::string> lines = {"abcd", "efghijk", "", "x"};
    for (uint32_t size = 0; size <= 10; ++size)
    {
        SCOPED_TRACE(size);
        KrMemoryStream inner(data);
        KrXStream stream(&inner, false);
        for (const std::string& line : lines)
        {
            GuardedBuffer buffer(size);
            if (line.size() + 1 > size)
            {
                EXPECT_RAISES(stream.ReadLine(buffer.Data(), size), KrErrBufferTooSmall);
                EXPECT_TRUE(size == 0 || buffer.Terminated());
                EXPECT_TRUE(buffer.GuardIntact());
                break;
            }
            stream.ReadLine(buffer.Data(), size);
            EXPECT_EQ(buffer.Text(), line);
            EXPECT_TRUE(buffer.GuardIntact());
        }
    }
}

TEST(KrXStream, ReadLineWithoutABufferSkipsAtMostSizeBytes)
{
    const std::string data = "a long line of text\nnext";
    struct Case
    {
        uint32_t size;
        int32_t position;
    };
    const Case cases[] = {{1000, 20}, {3, 3}, {1, 1}, {0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.size);
        KrMemoryStream inner(data);
        KrXStream stream(&inner, false);
        stream.ReadLine(nullptr, c.size);
        EXPECT_EQ(stream.Tell(), c.position);
    }
}

TEST(KrXStream, ReadLineWhenTheStreamRaises)
{
    struct Case
    {
        const char* what;
        const char* data;
        int32_t readsBeforeRaise;
        bool raises;
        const char* line;
    };
    const Case cases[] = {
        {"at the first byte", "abc", 0, true, ""},
        {"inside the line", "abcdef", 3, false, "abc"},
        {"after a line end, looking for its partner", "ab\nc", 3, false, "ab"},
        {"after an empty line's end", "\nc", 1, true, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        RaisingStream inner(c.data, c.readsBeforeRaise);
        KrXStream stream(&inner, false);
        char buffer[16] = "untouched";
        if (c.raises)
            EXPECT_RAISES(stream.ReadLine(buffer, sizeof buffer), KrErrIOErr);
        else
            stream.ReadLine(buffer, sizeof buffer);
        EXPECT_STREQ(buffer, c.line);
    }

    // The byte after a lone line end cannot be given back on a stream that does not seek.
    RaisingStream inner("a\nb");
    inner.seekRaises = true;
    KrXStream stream(&inner, false);
    char buffer[16];
    EXPECT_RAISES(stream.ReadLine(buffer, sizeof buffer), KrErrFileSeekFailed);
}

TEST(KrXStream, SkipsToAWord)
{
    const std::string longWord(100, 'w');
    struct Case
    {
        std::string data;
        const char* word;
        bool found;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"a b END c", "END", true, "c"},
        {"END", "END", true, ""},
        {"a b", "END", false, ""},
        {"a end c", "END", false, ""},
        {"ENDING END\tx", "END", true, "x"},
        {longWord.substr(1) + " END x", "END", true, "x"},
        {longWord + " END x", "END", false, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.data.substr(0, 20));
        KrMemoryStream inner(c.data);
        KrXStream stream(&inner, false);
        if (!c.found)
        {
            EXPECT_RAISES(stream.SkipTo(c.word), KrErrNotFound);
            continue;
        }
        stream.SkipTo(c.word);
        char rest[16];
        stream.ReadWord(rest, sizeof rest, nullptr);
        EXPECT_EQ(rest, c.rest);
    }

    KrMemoryStream inner("a");
    KrXStream stream(&inner, false);
    EXPECT_RAISES(stream.SkipTo(nullptr), KrErrArgErr);
    RaisingStream raising("a b END", 2);
    KrXStream overRaising(&raising, false);
    EXPECT_RAISES(overRaising.SkipTo("END"), KrErrNotFound);
}

TEST(KrXStream, RemembersUpToTenPositions)
{
    KrMemoryStream inner("0123456789abc");
    KrXStream stream(&inner, false);
    for (int32_t i = 0; i < 10; ++i)
    {
        stream.Seek(i, KrSeekStart);
        stream.PushMark();
    }
    EXPECT_RAISES(stream.PushMark(), KrErrBufferError);
    for (int32_t i = 9; i >= 0; --i)
    {
        stream.Seek(12, KrSeekStart);
        stream.PopMark();
        EXPECT_EQ(stream.Tell(), i);
    }
    EXPECT_RAISES(stream.PopMark(), KrErrBufferError);

    stream.PushMark();
    stream.SetInnerStream(&inner, false); // empties the stack
    EXPECT_RAISES(stream.PopMark(), KrErrBufferError);
}

TEST(KrXStream, APopThatCannotSeekKeepsItsMark)
{
    RaisingStream inner("abc");
    KrXStream stream(&inner, false);
    stream.Seek(2, KrSeekStart);
    stream.PushMark();
    inner.seekRaises = true;
    EXPECT_RAISES(stream.PopMark(), KrErrFileSeekFailed);
    inner.seekRaises = false;
    stream.Seek(0, KrSeekStart);
    stream.PopMark();
    EXPECT_EQ(stream.Tell(), 2);
}

TEST(KrXStream, WrapsTextAtTheLineWidthAndTracksTheColumn)
{
    struct Step
    {
        const char* text;
        bool raw; // a plain Write or WriteString: never wraps
    };
    struct Case
    {
        int32_t width;
        std::vector<Step> steps;
        std::string written;
        int32_t column;
    };
    const std::vector<Case> cases = {
        {10, {{"12345", false}, {"123456", false}}, "12345\n123456", 6},
        {0, {{"12345", false}, {"123456", false}}, "12345123456", 0},
        {10, {{"12345", false}, {"12345", false}}, "1234512345", 10},
        {10, {{"ab\ncd", true}}, "ab\ncd", 2},
        {10, {{"ab\r", true}}, "ab\r", 0},
        {10, {{"ab\r\ncd", true}, {"12345678", false}}, "ab\r\ncd12345678", 10},
        {10, {{"ab\r\ncd", true}, {"123456789", false}}, "ab\r\ncd\n123456789", 9},
        // A piece longer than the width starts no empty line when the line is still empty.
        {5, {{"1234567", false}, {"12", false}}, "1234567\n12", 2},
        {5, {{"1234567", true}, {"", false}}, "1234567\n", 0},
        {3, {{"", false}}, "", 0},
        {0, {{"ab\ncd", true}}, "ab\ncd", 0},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        KrMemoryStream inner;
        KrXStream stream(&inner, false);
        stream.SetLineWidth(c.width);
        for (const Step& step : c.steps)
        {
            if (step.raw)
                stream.WriteString(step.text);
            else
                EXPECT_EQ(stream.WriteText(step.text), Length(step.text));
        }
        EXPECT_EQ(Shown(inner.Contents()), Shown(c.written));
        EXPECT_EQ(stream.GetColumn(), c.column);
    }
}

TEST(KrXStream, AFailedWriteLeavesTheColumn)
{
    RaisingStream inner("");
    KrXStream stream(&inner, false);
    stream.SetLineWidth(80);
    stream.WriteText("abc");
    inner.writeRaises = true;
    EXPECT_RAISES(stream.WriteText("defg"), KrErrFileWriteFailed);
    EXPECT_EQ(stream.GetColumn(), 3);
}

TEST(KrXStream, PrintfWritesTheWholeText)
{
    for (const size_t length : {size_t(10), size_t(4094), size_t(4095), size_t(4096), size_t(5000), size_t(70000)})
    {
        SCOPED_TRACE(length);
        const std::string text(length - 2, 'x');
        KrMemoryStream inner;
        KrXStream stream(&inner, false);
        stream.SetLineWidth(100000);
        EXPECT_EQ(stream.Printf("<%s>", text.c_str()), Length(text) + 2);
        EXPECT_EQ(inner.Contents(), "<" + text + ">");
        EXPECT_EQ(stream.GetColumn(), Length(text) + 2);
    }
    KrMemoryStream inner;
    KrXStream stream(&inner, false);
    stream.SetLineWidth(8);
    stream.Printf("%d %s", 42, "abc");
    stream.Printf("%.2f", 1.5);
    EXPECT_EQ(inner.Contents(), "42 abc\n1.50");
}
