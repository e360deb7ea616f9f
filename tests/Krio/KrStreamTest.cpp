#include "KrCore/KrOutputDebugStream.h"
#include "Krio/KrFilter.h"
#include "Krio/KrMemoryStream.h"
#include "Krio/KrStreamImplemented.h"
#include "Krio/KrXStream.h"
#include "KrTestStreams.h"
#include "../KrCore/KrExpectError.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{
// The smallest concrete stream on KrStreamImplemented.
class WriteOnlyStream : public KrStreamImplemented
{
public:
    void Write(const void*, int32_t, int32_t*) override {}
};

// A stream whose seek fails with something other than a KrError.
class ForeignFailureStream : public KrMemoryStream
{
public:
    void Seek(int32_t, int32_t) override { throw std::runtime_error("not a KrError"); }
};

// Counts the PassDown requests that reach it.
class CountingFilter : public KrFilter
{
public:
    void PassDown() override
    {
        ++passDowns;
        KrFilter::PassDown();
    }
    int passDowns = 0;
};

// Owns one reference to a KrObject for the length of a test.
struct Releaser
{
    void operator()(KrObject* object) const { object->Release(); }
};
template <class T>
using Owned = std::unique_ptr<T, Releaser>;
}

TEST(KrStream, ClassNamesAndSeekability)
{
    struct Case
    {
        const char* what;
        std::function<KrStream*()> make;
        const char* className;
        bool isFilter;
        bool seekable;
    };
    const Case cases[] = {
        {"memory stream", [] { return new KrMemoryStream("abc"); }, "KrObject", false, true},
        {"raising seek", [] {
             auto* s = new RaisingStream("abc");
             s->seekRaises = true;
             return s;
         },
         "KrObject", false, false},
        {"KrStreamImplemented", [] { return new WriteOnlyStream(); }, "KrObject", false, false},
        {"KrOutputDebugStream", [] { return new KrOutputDebugStream(); }, "KrObject", false, false},
        {"KrFilter over a seekable stream", [] {
             auto* f = new KrFilter();
             f->SetInnerStream(new KrMemoryStream("abc"), true);
             return f;
         },
         "KrFilter", true, false},
        {"KrXStream over a seekable stream", [] { return new KrXStream(new KrMemoryStream("abc"), true); },
         "KrFilter", true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Owned<KrStream> stream(c.make());
        EXPECT_STREQ(stream->ClassName(), c.className);
        EXPECT_EQ(stream->Cast("KrObject"), stream.get());
        EXPECT_EQ(stream->Cast("KrCastBase"), stream.get());
        EXPECT_EQ(stream->Cast("KrStream"), nullptr);
        EXPECT_EQ(stream->Cast("KrFilter") != nullptr, c.isFilter);
        EXPECT_EQ(stream->Cast("krfilter"), nullptr);
        EXPECT_EQ(stream->Cast("KrXStream"), nullptr);
        EXPECT_EQ(stream->Describe(), KrString("KrStream"));
        EXPECT_EQ(stream->IsSeekable(), c.seekable);
    }
}

TEST(KrStream, SeekabilityProbeLetsForeignFailuresPass)
{
    ForeignFailureStream stream;
    EXPECT_THROW(stream.IsSeekable(), std::runtime_error);
}

TEST(KrStream, UndefinedOperationsRaise)
{
    WriteOnlyStream implemented;
    KrFilter filter;
    filter.SetInnerStream(new KrMemoryStream("abc"), true); // even with an inner stream
    char byte = 0;
    EXPECT_RAISES(implemented.Read(&byte, 1, nullptr), KrErrUndefProc);
    EXPECT_RAISES(implemented.Seek(0, KrSeekStart), KrErrUndefProc);
    EXPECT_RAISES(implemented.Tell(), KrErrUndefProc);
    EXPECT_RAISES(filter.Read(&byte, 1, nullptr), KrErrUndefProc);
    EXPECT_RAISES(filter.Write("x", 1, nullptr), KrErrUndefProc);
    EXPECT_RAISES(filter.Seek(0, KrSeekStart), KrErrUndefProc);
    EXPECT_RAISES(filter.Tell(), KrErrUndefProc);
}

TEST(KrFilter, HoldsOneReferenceToItsInnerStream)
{
    bool destroyed = false;
    auto* stream = new WatchedStream(destroyed);
    {
        Owned<KrFilter> filter(new KrFilter());
        EXPECT_EQ(filter->GetInnerStream(), nullptr);
        filter->SetInnerStream(stream, false);
        EXPECT_EQ(stream->RefCount(), 2);
        EXPECT_EQ(filter->GetInnerStream(), stream);
        EXPECT_EQ(stream->RefCount(), 2); // asking takes no reference

        filter->SetInnerStream(stream, false); // the same stream again
        EXPECT_EQ(stream->RefCount(), 2);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(stream->RefCount(), 1);
    stream->Release();
    EXPECT_TRUE(destroyed);
}

TEST(KrFilter, AdoptsTheCallersReference)
{
    bool destroyed = false;
    auto* stream = new WatchedStream(destroyed);
    Owned<KrFilter> filter(new KrFilter());
    filter->SetInnerStream(stream, true);
    EXPECT_EQ(stream->RefCount(), 1);

    stream->Retain(); // a second reference handed over with the same stream
    filter->SetInnerStream(stream, true);
    EXPECT_EQ(stream->RefCount(), 1);
    EXPECT_FALSE(destroyed);

    filter.reset();
    EXPECT_TRUE(destroyed);
}

TEST(KrFilter, ReleasesTheOldStreamOnceWhenReplacedOrReleased)
{
    bool firstDestroyed = false;
    bool secondDestroyed = false;
    auto* first = new WatchedStream(firstDestroyed);
    auto* second = new WatchedStream(secondDestroyed);
    first->Retain();
    second->Retain();
    Owned<KrFilter> filter(new KrFilter());
    filter->SetInnerStream(first, true);
    filter->SetInnerStream(second, false);
    EXPECT_EQ(first->RefCount(), 1);
    EXPECT_EQ(second->RefCount(), 3);

    filter->ReleaseInnerStream();
    EXPECT_EQ(filter->GetInnerStream(), nullptr);
    EXPECT_EQ(second->RefCount(), 2);
    filter->ReleaseInnerStream(); // nothing left to release
    EXPECT_EQ(second->RefCount(), 2);
    filter->SetInnerStream(nullptr, false);

    first->Release();
    second->Release();
    second->Release();
    EXPECT_TRUE(firstDestroyed);
    EXPECT_TRUE(secondDestroyed);
}

TEST(KrFilter, PassDownReachesTheNextFilterOnly)
{
    CountingFilter inner;
    KrFilter outer;
    outer.PassDown(); // no inner stream
    outer.SetInnerStream(&inner, false);
    outer.PassDown();
    EXPECT_EQ(inner.passDowns, 1);

    KrMemoryStream plain;
    inner.SetInnerStream(&plain, false);
    outer.PassDown(); // stops at a stream that is no filter
    EXPECT_EQ(inner.passDowns, 2);
    inner.ReleaseInnerStream();
    outer.ReleaseInnerStream();
    EXPECT_EQ(inner.RefCount(), 1);
    EXPECT_EQ(plain.RefCount(), 1);
}

TEST(KrMemoryStream, ReadsWritesAndSeeksLikeAFile)
{
    KrMemoryStream stream("hello");
    char buffer[8] = {};
    int32_t got = -1;
    EXPECT_EQ(stream.Read(buffer, 3, &got), 3);
    EXPECT_EQ(got, 3);
    EXPECT_EQ(std::string(buffer, 3), "hel");
    EXPECT_EQ(stream.Read(buffer, 8, nullptr), 2); // fewer at the end
    EXPECT_EQ(stream.Read(buffer, 8, &got), 0);
    EXPECT_EQ(got, 0);

    struct SeekCase
    {
        int32_t offset;
        int32_t origin;
        int32_t position;
    };
    const SeekCase seeks[] = {
        {1, KrSeekStart, 1}, {2, KrSeekCurrent, 3}, {-3, KrSeekCurrent, 0},
        {1, KrSeekFromEnd, 4}, {0, KrSeekFromEnd, 5}, {7, KrSeekStart, 7},
    };
    for (const SeekCase& s : seeks)
    {
        stream.Seek(s.offset, s.origin);
        EXPECT_EQ(stream.Tell(), s.position) << s.offset << " from " << s.origin;
    }
    stream.Write("!", 1, nullptr); // past the end: the gap reads as zeros
    EXPECT_EQ(stream.Contents(), std::string("hello\0\0!", 8));
    stream.Seek(1, KrSeekStart);
    stream.Write("EL", 2, nullptr);
    EXPECT_EQ(stream.Contents(), std::string("hELlo\0\0!", 8));
    EXPECT_EQ(stream.Tell(), 3);

    EXPECT_RAISES(stream.Seek(-4, KrSeekCurrent), KrErrArgErr);
    EXPECT_RAISES(stream.Seek(0, 3), KrErrArgErr);
    EXPECT_RAISES(stream.Read(nullptr, 1, nullptr), KrErrArgErr);
    EXPECT_RAISES(stream.Read(buffer, -1, nullptr), KrErrArgErr);
    EXPECT_RAISES(stream.Write(nullptr, 1, nullptr), KrErrArgErr);
    EXPECT_EQ(stream.Tell(), 3);
}
