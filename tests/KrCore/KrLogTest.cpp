#include "KrCore/KrError.h"
#include "KrCore/KrLog.h"
#include "KrCore/KrOutputDebugStream.h"
#include "KrPlatform/KrPlatform.h"
#include "Krio/KrStreamImplemented.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
using Writes = std::vector<std::string>;

// Keeps every Write as one entry; can act while a write is under way.
class RecordingStream : public KrStreamImplemented
{
public:
    void Write(const void* data, int32_t count, int32_t*) override
    {
        writes.emplace_back(static_cast<const char*>(data), size_t(count));
        if (duringWrite)
            duringWrite();
    }

    Writes writes;
    std::function<void()> duringWrite;
};

std::vector<std::u16string> debugOutput;

void CaptureDebugOutput(const std::u16string& text)
{
    debugOutput.push_back(text);
}

std::u16string Units(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The log's state is module-wide: each test starts with a recording stream current and
// debugger output captured, and leaves the default stream current as it found it.
class KrLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousSink = KrPlatformSetDebugSink(CaptureDebugOutput);
        debugOutput.clear();
        recorder = new RecordingStream();
        recorder->Retain(); // one reference for the test, one handed to the log
        SetLogStream(recorder);
    }

    void TearDown() override
    {
        SetLogStream(nullptr);
        recorder->Release();
        KrPlatformSetDebugSink(previousSink);
    }

    RecordingStream* recorder = nullptr;
    KrPlatformDebugSink previousSink = nullptr;
};
}

TEST_F(KrLogTest, EveryMessageEndsInALineFeed)
{
    struct Case
    {
        const char* what;
        std::function<void()> log;
        Writes writes;
    };
    const Case cases[] = {
        {"formatted: one write", [] { LogFormat(0, "Velt: ChangeMode(%d)", 4); }, {"Velt: ChangeMode(4)\n"}},
        {"text: then a line feed", [] { LogText(0, "KrVeltDevice::Disconnect"); },
         {"KrVeltDevice::Disconnect", "\n"}},
        {"formatted, own line feed", [] { LogFormat(0, "%s\n", "done"); }, {"done\n"}},
        {"text, own line feed", [] { LogText(0, "done\n"); }, {"done\n"}},
        {"empty text", [] { LogText(0, ""); }, {""}},
        {"empty format result", [] { LogFormat(0, "%s", ""); }, {""}},
        {"null text", [] { LogText(0, nullptr); }, {""}},
        {"text at level 1", [] { LogText(1, "hidden"); }, {}},
        {"formatted at level 1", [] { LogFormat(1, "hidden %d", 1); }, {}},
        {"negative level", [] { LogText(-3, "shown"); }, {"shown", "\n"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        recorder->writes.clear();
        c.log();
        EXPECT_EQ(recorder->writes, c.writes);
    }
    EXPECT_TRUE(debugOutput.empty());
}

TEST_F(KrLogTest, LongMessagesAreCutAndStillEndTheLine)
{
    const std::string text(5000, 'x');
    const std::string cut(4095, 'x');
    LogFormat(0, "%s", text.c_str());
    EXPECT_EQ(recorder->writes, (Writes{cut, "\n"}));

    recorder->writes.clear();
    LogText(0, text.c_str());
    EXPECT_EQ(recorder->writes, (Writes{text, "\n"}));

    // The debug output takes the first 4095 bytes of each write.
    SetLogStream(nullptr);
    LogText(0, text.c_str());
    LogFormat(0, "%s", text.c_str());
    EXPECT_EQ(debugOutput, (std::vector<std::u16string>{Units(cut), u"\n", Units(cut), u"\n"}));
}

TEST_F(KrLogTest, MessagesLoggedWhileWritingAreDropped)
{
    recorder->duringWrite = [] {
        LogText(0, "inner text");
        LogText(-1, "inner text below the guard level");
        LogFormat(0, "inner %s", "format");
        const KrError error(19, "KrFormatErr", "KrVector.cpp", 7); // its error line too
    };
    LogFormat(0, "outer");
    EXPECT_EQ(recorder->writes, Writes{"outer\n"});

    recorder->duringWrite = nullptr;
    LogText(0, "next");
    EXPECT_EQ(recorder->writes, (Writes{"outer\n", "next", "\n"}));
}

TEST_F(KrLogTest, AStreamThatRaisesLosesOnlyItsMessage)
{
    const std::vector<std::function<void()>> failures = {
        [] { KR_RAISE(KrErrFileWriteFailed); },
        [] { throw std::runtime_error("host failure"); },
    };
    for (const auto& fail : failures)
    {
        recorder->writes.clear();
        recorder->duringWrite = fail;
        EXPECT_NO_THROW(LogText(0, "lost"));
        EXPECT_NO_THROW(LogFormat(0, "lost %d", 2));
        EXPECT_EQ(recorder->writes, (Writes{"lost", "lost 2\n"})); // each stopped at its first write

        recorder->duringWrite = nullptr;
        LogText(0, "written");
        EXPECT_EQ(recorder->writes, (Writes{"lost", "lost 2\n", "written", "\n"}));
    }

    // A stream installed after the failure hears from the log as well.
    auto* later = new RecordingStream();
    later->Retain();
    SetLogStream(later);
    LogFormat(0, "after %s", "recovery");
    EXPECT_EQ(later->writes, Writes{"after recovery\n"});
    SetLogStream(nullptr);
    later->Release();
}

TEST_F(KrLogTest, SetLogStreamTakesOverOneReference)
{
    KrOutputDebugStream* fallback = GetDefaultLogStream();
    EXPECT_EQ(GetDefaultLogStream(), fallback);
    EXPECT_EQ(recorder->RefCount(), 2);
    EXPECT_EQ(fallback->RefCount(), 1); // held by the module only

    SetLogStream(recorder); // already current: no Retain, no Release
    EXPECT_EQ(recorder->RefCount(), 2);

    SetLogStream(nullptr); // the host's stream goes, the default stream is current
    EXPECT_EQ(recorder->RefCount(), 1);
    EXPECT_EQ(fallback->RefCount(), 2);
    LogText(0, "to the debugger");
    EXPECT_EQ(debugOutput, (std::vector<std::u16string>{u"to the debugger", u"\n"}));

    SetLogStream(nullptr); // again: still the default stream, still two references
    EXPECT_EQ(fallback->RefCount(), 2);

    auto* next = new RecordingStream();
    next->Retain();
    recorder->Retain();
    SetLogStream(recorder);
    EXPECT_EQ(fallback->RefCount(), 1);
    SetLogStream(next); // a new stream releases the old one once
    EXPECT_EQ(recorder->RefCount(), 1);
    EXPECT_EQ(next->RefCount(), 2);
    LogText(0, "to next\n");
    EXPECT_EQ(next->writes, Writes{"to next\n"});
    EXPECT_TRUE(recorder->writes.empty());
    SetLogStream(nullptr);
    EXPECT_EQ(next->RefCount(), 1);
    next->Release();
}

TEST_F(KrLogTest, BuildingAnErrorWritesItsLine)
{
    struct Case
    {
        int32_t code;
        const char* name;
        const char* file;
        int32_t line;
        Writes writes;
    };
    const Case cases[] = {
        {19, "KrFormatErr", "/src/KrMath/KrVector", 12, {"Error: 19 \"FormatErr\", file \"Vector\", line 12\n"}},
        {7, "KrIndexError", "C:\\src/KrString.cpp", 40, {"Error: 7 \"KrIndexError\", file \"String.cpp\", line 40\n"}},
        {5, nullptr, nullptr, 0, {"Error: 5 \"\", file \"\", line 0\n"}},
        {-2, "VeltSDK=-2", "dev.cpp", 3, {"Error: -2 \"VeltSDK=-2\", file \"dev.cpp\", line 3\n"}},
        {0, "KrArgErr", "KrFile.cpp", 1, {}},
        {56, "KrArgErr", "KrFile.cpp", 1, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.code);
        recorder->writes.clear();
        const KrError error(c.code, c.name, c.file, c.line);
        EXPECT_EQ(recorder->writes, c.writes);
    }
}

TEST_F(KrLogTest, DebugOutputStreamSendsUtf16Text)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        int32_t count;
        std::vector<std::u16string> output;
    };
    const std::string longText(5000, 'y');
    const std::vector<Case> cases = {
        {"plain", "abc", 3, {u"abc"}},
        {"UTF-8", "d\xc3\xa9j\xc3\xa0 \xe2\x82\xac", 10, {u"d\u00e9j\u00e0 \u20ac"}},
        {"up to the first NUL", std::string("ab\0cd", 5), 5, {u"ab"}},
        {"part of the data", "abcdef", 2, {u"ab"}},
        {"nothing", "abc", 0, {u""}},
        {"cut at 4095 bytes", longText, 5000, {Units(longText.substr(0, 4095))}},
        {"negative count", "abc", -1, {}},
    };
    KrOutputDebugStream stream;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        debugOutput.clear();
        int32_t written = 77;
        stream.Write(c.bytes.data(), c.count, &written);
        EXPECT_EQ(debugOutput, c.output);
        EXPECT_EQ(written, 77);
    }
    debugOutput.clear();
    stream.Write(nullptr, 3, nullptr);
    EXPECT_TRUE(debugOutput.empty());
}

TEST_F(KrLogTest, DebugOutputGoesToStandardErrorAsUtf8)
{
    const KrPlatformDebugSink capture = KrPlatformSetDebugSink(nullptr);
    EXPECT_EQ(capture, &CaptureDebugOutput);
    ::testing::internal::CaptureStderr();
    KrPlatformDebugOutput(u"caf\u00e9 \u20ac \U0001F600|\xD800|\xDC00|");
    KrPlatformDebugOutput(std::u16string(u"before\0after", 12));
    const std::string written = ::testing::internal::GetCapturedStderr();
    KrPlatformSetDebugSink(capture);
    EXPECT_EQ(written, "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80|\xef\xbf\xbd|\xef\xbf\xbd|before");
}
