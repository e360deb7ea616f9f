// The DIM/TYPE/BEGIN_DATA/END_DATA form of vectors on streams.
#include "KrMath/KrVector.h"

#include "../KrCore/KrExpectError.h"
#include "KrMathTestSupport.h"
#include "Krio/KrMemoryStream.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{
using Values = std::vector<double>;

const char kExample[] = "DIM  3\nTYPE 1380401696\nBEGIN_DATA\n0.250000\t0.500000\t1.000000\t\nEND_DATA\n";

KrVector ReadText(const std::string& text, KrVector v = KrVector())
{
    KrMemoryStream stream(text);
    v.ReadFrom(&stream);
    return v;
}

std::string WrittenText(const KrVector& v, const char* format = nullptr)
{
    KrMemoryStream stream;
    v.WriteTo(&stream, format);
    return stream.Contents();
}

TEST(KrVectorStreamTest, WritesTheDocumentedLayout)
{
    EXPECT_EQ(WrittenText(MakeVector({0.25, 0.5, 1.0}, kTagRGB)), kExample);
    EXPECT_EQ(WrittenText(KrVector()), "DIM  0\nTYPE 0\nBEGIN_DATA\n\nEND_DATA\n");
    EXPECT_EQ(WrittenText(MakeVector({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, -1), "%g"),
              "DIM 12\nTYPE -1\nBEGIN_DATA\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t\nEND_DATA\n");
}

TEST(KrVectorStreamTest, WideElementsAreWrittenWhole)
{
    const std::string text = WrittenText(MakeVector({-1e300}));
    const size_t begin = text.find("BEGIN_DATA\n") + 11;
    const std::string element = text.substr(begin, text.find('\t', begin) - begin);
    EXPECT_EQ(element.size(), 1 + 301 + 7); // sign, digits, ".000000"
    EXPECT_EQ(WrittenText(MakeVector({2}), "%400f"),
              "DIM  1\nTYPE 0\nBEGIN_DATA\n" + std::string(392, ' ') + "2.000000\t\nEND_DATA\n");
}

struct ReadCase
{
    const char* name;
    std::string text;
    Values values;
    int32_t tag;
};

TEST(KrVectorStreamTest, ReadsTheForm)
{
    const ReadCase cases[] = {
        {"the example", kExample, {0.25, 0.5, 1.0}, kTagRGB},
        {"lower case keywords", "dim 3\ntype 1380401696\nbegin_data\n0.25 0.5 1\nend_data\n", {0.25, 0.5, 1.0}, kTagRGB},
        {"mixed case, CR LF", "Dim 2\r\nType 7\r\nBegin_Data\r\n1\t2\r\nEnd_Data\r\n", {1, 2}, 7},
        {"comments everywhere",
         "# note\nDIM # before the number\n3\n#x\nTYPE 5 # a trailing comment\nBEGIN_DATA # starts here\n"
         "1 # one\n2\n# note\n3\nEND_DATA\n",
         {1, 2, 3},
         5},
        {"no TYPE", "DIM 2 BEGIN_DATA 4 5 END_DATA", {4, 5}, 0},
        {"text before the keywords", "vector: DIM 1 BEGIN_DATA 8 END_DATA", {8}, 0},
        {"a negative tag", "TYPE -1 DIM 1 BEGIN_DATA 8 END_DATA", {8}, -1},
        {"a tag beyond 32 bits", "TYPE 99999999999 DIM 1 BEGIN_DATA 8 END_DATA", {8}, INT32_MAX},
        {"words that are no numbers", "DIM 3 BEGIN_DATA x 2.5e1 -inf? END_DATA", {0, 25, -std::numeric_limits<double>::infinity()}, 0},
        {"surplus values are ignored", "DIM 2 BEGIN_DATA 1 2 3 4 END_DATA", {1, 2}, 0},
        {"data ending early", "DIM 4 BEGIN_DATA 1 2", {1, 2, 0, 0}, 0},
        {"a word of 63 characters", "DIM 1 BEGIN_DATA " + std::string(62, '0') + "7 END_DATA", {7}, 0},
    };
    for (const ReadCase& c : cases)
    {
        const KrVector v = ReadText(c.text);
        EXPECT_EQ(Elements(v), c.values) << c.name;
        EXPECT_EQ(v.GetType(), c.tag) << c.name;
    }
}

TEST(KrVectorStreamTest, StopsAtTheEndOfTheData)
{
    // Without BEGIN_DATA nothing changes.
    const KrVector untouched = ReadText("DIM 3 TYPE 5", MakeVector({9, 9}, 1));
    EXPECT_EQ(Elements(untouched), Values({9, 9}));
    EXPECT_EQ(untouched.GetType(), 1);
    // Elements not given keep their old values.
    EXPECT_EQ(Elements(ReadText("DIM 3 BEGIN_DATA 1", MakeVector({9, 9, 9}))), Values({1, 9, 9}));
    EXPECT_EQ(Elements(ReadText("DIM 4 BEGIN_DATA 1 END_DATA", MakeVector({9, 9}))), Values({1, 9, 0, 0}));
    EXPECT_EQ(ReadText("", KrVector()).GetSize(), 0);
}

struct FailureCase
{
    const char* name;
    std::string text;
    KrErrorKind kind;
};

TEST(KrVectorStreamTest, RejectsBadDimensionsAndLongWords)
{
    const FailureCase cases[] = {
        {"DIM 0", "DIM 0\nBEGIN_DATA\nEND_DATA\n", KrErrArgErr},
        {"no DIM", "TYPE 5 BEGIN_DATA 1 END_DATA", KrErrArgErr},
        {"a negative DIM", "DIM -3 BEGIN_DATA 1 END_DATA", KrErrArgErr},
        {"DIM that is no number", "DIM three BEGIN_DATA 1 END_DATA", KrErrArgErr},
        {"a DIM of gigabytes", "DIM 2000000000 BEGIN_DATA 1 END_DATA", KrErrArgErr},
        {"a word of 64 characters", "DIM 1 BEGIN_DATA " + std::string(63, '0') + "7 END_DATA", KrErrBufferTooSmall},
        {"a long keyword", std::string(64, 'D') + " DIM 1 BEGIN_DATA 7 END_DATA", KrErrBufferTooSmall},
    };
    for (const FailureCase& c : cases)
    {
        KrVector v = MakeVector({1, 2}, 3);
        KrMemoryStream stream(c.text);
        EXPECT_RAISES(v.ReadFrom(&stream), c.kind) << c.name;
    }
    EXPECT_RAISES(KrVector().ReadFrom(nullptr), KrErrArgErr);
    EXPECT_RAISES(KrVector().WriteTo(nullptr), KrErrArgErr);
}

TEST(KrVectorStreamTest, ReadingKeepsWhatWasStoredBeforeAFailure)
{
    KrVector v;
    KrMemoryStream stream("DIM 3 BEGIN_DATA 1 2 " + std::string(70, '5'));
    EXPECT_RAISES(v.ReadFrom(&stream), KrErrBufferTooSmall);
    EXPECT_EQ(Elements(v), Values({1, 2, 0}));
}

TEST(KrVectorStreamTest, ReadingLeavesSharersAlone)
{
    for (const char* text : {"DIM 3 BEGIN_DATA 7 8 9 END_DATA", "DIM 3 TYPE 0 BEGIN_DATA 7"})
    {
        const KrVector original = MakeVector({1, 2, 3});
        const KrVector read = ReadText(text, original);
        EXPECT_EQ(Elements(original), Values({1, 2, 3})) << text;
        EXPECT_EQ(read.Get(0), 7.0) << text;
    }
}

TEST(KrVectorStreamTest, RoundTripsThroughOneStream)
{
    KrVector curve(256, kTagRGB);
    for (int32_t i = 0; i < 256; ++i)
        curve.At(i) = i / 255.0 * (i / 255.0) + 1e-9 * i;
    const KrVector vectors[] = {MakeVector({0.25, 0.5, 1.0}, kTagRGB), curve, MakeVector({-3.5}, -123456)};

    KrMemoryStream stream;
    for (const KrVector& v : vectors)
        v.WriteTo(&stream, "%.17g");
    stream.Seek(0, KrSeekStart);
    for (const KrVector& v : vectors)
    {
        KrVector back;
        back.ReadFrom(&stream);
        EXPECT_EQ(back, v);
        EXPECT_EQ(back.GetType(), v.GetType());
    }
    EXPECT_EQ(stream.RefCount(), 1); // the caller's stream survives every read
}
}
