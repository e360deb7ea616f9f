#include "KrMath/KrMatrix.h"

#include "../KrCore/KrExpectError.h"
#include "KrMathTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
using Values = std::vector<double>;

// Every element, row after row.
Values Elements(const KrMatrix& m)
{
    Values elements;
    for (int32_t r = 0; r < m.GetRows(); ++r)
    {
        for (int32_t c = 0; c < m.GetColumns(); ++c)
            elements.push_back(m.Get(r, c));
    }
    return elements;
}

KrMatrix MakeMatrix(int32_t rows, int32_t columns, const Values& values, int32_t tag = 0)
{
    KrMatrix m(rows, columns, tag);
    for (int32_t r = 0; r < rows; ++r)
    {
        for (int32_t c = 0; c < columns; ++c)
            m.At(r, c) = values.at(size_t(r * columns + c));
    }
    return m;
}

TEST(KrMatrixTest, DefaultMatrixIsEmpty)
{
    KrMatrix m;
    EXPECT_EQ(m.GetRows(), 0);
    EXPECT_EQ(m.GetColumns(), 0);
    EXPECT_EQ(m.GetType(), 0);
    EXPECT_RAISES(m.Get(0, 0), KrErrIndexError);
    EXPECT_RAISES(m.At(0, 0), KrErrIndexError);
    EXPECT_RAISES(m.GetColumnVector(0), KrErrIndexError);
    EXPECT_EQ(m.ToText(), KrString("0 0 0 "));
    m.SetSize(0, 0);
    EXPECT_EQ(m.ToText(), KrString("0 0 0 "));
}

TEST(KrMatrixTest, ConstructionGivesShapeTagAndZeros)
{
    const KrMatrix m(2, 3, kTagRGB);
    EXPECT_EQ(m.GetRows(), 2);
    EXPECT_EQ(m.GetColumns(), 3);
    EXPECT_EQ(m.GetType(), kTagRGB);
    EXPECT_EQ(Elements(m), Values(6, 0.0));
    const KrMatrix tagOnly(0, 0, 5);
    EXPECT_EQ(tagOnly.GetType(), 5);
}

TEST(KrMatrixTest, NegativeAndOversizedShapesRaise)
{
    const std::pair<int32_t, int32_t> shapes[] = {{-1, 2}, {2, -1}, {-3, -3}, {65536, 65536}, {INT32_MAX, 2}};
    for (const auto& shape : shapes)
    {
        EXPECT_RAISES(KrMatrix(shape.first, shape.second), KrErrIndexError) << shape.first << "x" << shape.second;
        KrMatrix m = MakeMatrix(1, 2, {1, 2});
        EXPECT_RAISES(m.SetSize(shape.first, shape.second), KrErrIndexError) << shape.first << "x" << shape.second;
        EXPECT_EQ(Elements(m), Values({1, 2}));
        EXPECT_RAISES(m.Assign(ForeignMatrix(shape.first, shape.second, 0, {})), KrErrIndexError);
        EXPECT_EQ(Elements(m), Values({1, 2}));
    }
    KrMatrix m = MakeMatrix(1, 1, {4});
    EXPECT_RAISES(m.FromText("-1 2 0 1 2"), KrErrIndexError);
    EXPECT_EQ(Elements(m), Values({4}));
}

TEST(KrMatrixTest, GetAndAtCheckBothIndexes)
{
    KrMatrix m(2, 3);
    const std::pair<int32_t, int32_t> bad[] = {{-1, 0}, {0, -1}, {2, 0}, {0, 3}, {2, 3}};
    for (const auto& index : bad)
    {
        EXPECT_RAISES(m.Get(index.first, index.second), KrErrIndexError) << index.first << "," << index.second;
        EXPECT_RAISES(m.At(index.first, index.second), KrErrIndexError) << index.first << "," << index.second;
    }
    m.At(1, 2) = 7.0;
    EXPECT_EQ(m.Get(1, 2), 7.0);
    EXPECT_EQ(Elements(m), Values({0, 0, 0, 0, 0, 7}));
}

TEST(KrMatrixTest, WritesThroughACopyLeaveTheOriginalAlone)
{
    const std::vector<std::pair<const char*, std::function<void(KrMatrix&)>>> writers = {
        {"At", [](KrMatrix& m) { m.At(1, 1) = 100.0; }},
        {"SetType", [](KrMatrix& m) { m.SetType(9); }},
        {"SetRow", [](KrMatrix& m) { m.SetRow(0, MakeVector({7, 8})); }},
        {"SetColumn", [](KrMatrix& m) { m.SetColumn(1, MakeVector({7, 8})); }},
        {"FromText", [](KrMatrix& m) { m.FromText("9 8 7 6", true); }},
        {"SetSize", [](KrMatrix& m) { m.SetSize(3, 3); }},
        {"Assign", [](KrMatrix& m) { m.Assign(ForeignMatrix(1, 1, 0, {5})); }},
    };
    for (const auto& writer : writers)
    {
        const KrMatrix original = MakeMatrix(2, 2, {1, 2, 3, 4}, kTagRGB);
        KrMatrix copy(original);
        ASSERT_EQ(copy.Data(), original.Data()) << "copies share one record";
        writer.second(copy);
        EXPECT_EQ(Elements(original), Values({1, 2, 3, 4})) << writer.first;
        EXPECT_EQ(original.GetType(), kTagRGB) << writer.first;
        EXPECT_NE(copy.Data(), original.Data()) << writer.first;
        EXPECT_FALSE(Elements(copy) == Elements(original) && copy.GetType() == original.GetType()) << writer.first;
    }
}

TEST(KrMatrixTest, SetSizeKeepsTheOverlappingElements)
{
    KrMatrix m = MakeMatrix(2, 3, {1, 2, 3, 4, 5, 6}, kTagRGB);
    m.SetSize(3, 2);
    EXPECT_EQ(Elements(m), Values({1, 2, 4, 5, 0, 0}));
    EXPECT_EQ(m.GetType(), kTagRGB);
    m.SetSize(1, 4);
    EXPECT_EQ(Elements(m), Values({1, 2, 0, 0}));
    m.SetSize(0, 4);
    EXPECT_EQ(m.GetRows(), 0);
    EXPECT_EQ(m.GetType(), kTagRGB);

    const KrMatrix shared = MakeMatrix(1, 2, {1, 2});
    KrMatrix copy(shared);
    copy.SetSize(1, 2); // the same shape changes nothing
    EXPECT_EQ(copy.Data(), shared.Data());
    KrMatrix fresh;
    fresh.SetSize(2, 1);
    EXPECT_EQ(Elements(fresh), Values({0, 0}));
}

TEST(KrMatrixTest, AssignCopiesEveryElementThroughTheInterface)
{
    const ForeignMatrix source(3, 2, kTagRGB, {1, 2, 3, 4, 5, 6});
    KrMatrix m = MakeMatrix(1, 1, {9});
    m.Assign(source);
    EXPECT_EQ(m.GetRows(), 3);
    EXPECT_EQ(m.GetColumns(), 2);
    EXPECT_EQ(m.GetType(), kTagRGB);
    EXPECT_EQ(Elements(m), Values({1, 2, 3, 4, 5, 6}));
    const KrMatrixData& asData = source;
    EXPECT_EQ(Elements(KrMatrix(asData)), Values({1, 2, 3, 4, 5, 6}));

    KrMatrix self = MakeMatrix(1, 2, {1, 2});
    self.Assign(self);
    EXPECT_EQ(Elements(self), Values({1, 2}));

    ForeignMatrix back(0, 0, 0, {});
    back.Assign(m);
    EXPECT_EQ(back.Get(2, 1), 6.0);
}

TEST(KrMatrixTest, ColumnVectorsCarryTheTag)
{
    const KrMatrix m = MakeMatrix(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, kTagRGB);
    const KrVector third = m.GetColumnVector(2);
    EXPECT_EQ(Elements(third), Values({3, 6, 9}));
    EXPECT_EQ(third.GetType(), kTagRGB);
    EXPECT_RAISES(m.GetColumnVector(3), KrErrIndexError);
    EXPECT_RAISES(m.GetColumnVector(-1), KrErrIndexError);
    EXPECT_EQ(KrMatrix(0, 2).GetColumnVector(1).GetSize(), 0);
}

TEST(KrMatrixTest, SetRowAndSetColumnNeedVectorsThatFit)
{
    KrMatrix m(2, 3);
    m.SetRow(1, MakeVector({4, 5, 6}));
    m.SetColumn(0, MakeVector({7, 8}));
    EXPECT_EQ(Elements(m), Values({7, 0, 0, 8, 5, 6}));

    EXPECT_RAISES(m.SetRow(1, MakeVector({1, 2})), KrErrIndexError);
    EXPECT_RAISES(m.SetRow(2, MakeVector({1, 2, 3})), KrErrIndexError);
    EXPECT_RAISES(m.SetRow(-1, MakeVector({1, 2, 3})), KrErrIndexError);
    EXPECT_RAISES(m.SetColumn(0, MakeVector({1, 2, 3})), KrErrIndexError);
    EXPECT_RAISES(m.SetColumn(3, MakeVector({1, 2})), KrErrIndexError);
    EXPECT_RAISES(KrMatrix().SetRow(0, KrVector()), KrErrIndexError);
    EXPECT_EQ(Elements(m), Values({7, 0, 0, 8, 5, 6}));
}

TEST(KrMatrixTest, SetTypeWithoutARecordMakesAnEmptyTaggedOne)
{
    KrMatrix m;
    m.SetType(kTagRGB);
    EXPECT_EQ(m.GetType(), kTagRGB);
    EXPECT_EQ(m.GetRows(), 0);
    EXPECT_EQ(m.ToText(), KrString("0 0 1380401696 "));
}

TEST(KrMatrixTest, ToTextPrintsHeaderAndRows)
{
    const KrMatrix identity = MakeMatrix(2, 2, {1, 0, 0, 1});
    EXPECT_EQ(identity.ToText(), KrString("2 2 0 1.000000 0.000000 0.000000 1.000000 "));
    EXPECT_EQ(identity.ToText(nullptr, true), KrString("1.000000 0.000000 0.000000 1.000000 "));
    EXPECT_EQ(MakeMatrix(1, 2, {0.5, -2}, -7).ToText("%g,"), KrString("1 2 -7 0.5,-2,"));
    const KrString huge = MakeMatrix(1, 1, {1e300}).ToText(nullptr, true);
    EXPECT_EQ(huge.Length(), 301 + 7 + 1);
}

TEST(KrMatrixTest, TextRoundTripsWithAndWithoutHeader)
{
    const KrMatrix matrices[] = {MakeMatrix(2, 3, {0.25, -1, 3, 4.5, 1e-3, 6}, kTagRGB), MakeMatrix(1, 1, {7}, -2),
                                 MakeMatrix(3, 1, {1, 2, 3})};
    for (const KrMatrix& m : matrices)
    {
        KrMatrix withHeader;
        withHeader.FromText(m.ToText());
        EXPECT_EQ(withHeader.GetRows(), m.GetRows());
        EXPECT_EQ(withHeader.GetColumns(), m.GetColumns());
        EXPECT_EQ(withHeader.GetType(), m.GetType());
        KrMatrix keptShape(m.GetRows(), m.GetColumns(), 11);
        keptShape.FromText(m.ToText(nullptr, true), true);
        EXPECT_EQ(keptShape.GetType(), 11);
        for (const KrMatrix* back : {&withHeader, &keptShape})
        {
            const Values expected = Elements(m);
            const Values got = Elements(*back);
            ASSERT_EQ(got.size(), expected.size());
            for (size_t i = 0; i < got.size(); ++i)
                EXPECT_EQ(got[i], static_cast<double>(static_cast<float>(expected[i]))) << m.ToText().Text();
        }
    }
}

TEST(KrMatrixTest, FromTextReadsHeaderAndValues)
{
    KrMatrix m;
    m.FromText("2 3 0 1 2 3 4 5 6");
    EXPECT_EQ(Elements(m.GetColumnVector(0)), Values({1, 4}));
    EXPECT_EQ(Elements(m), Values({1, 2, 3, 4, 5, 6}));
    m.FromText("  1\n2 1380401696\t0.1 2.5 trailing words");
    EXPECT_EQ(m.GetType(), kTagRGB);
    EXPECT_EQ(Elements(m), Values({static_cast<double>(0.1f), 2.5}));

    KrMatrix square = MakeMatrix(2, 2, {0, 0, 0, 0}, 4);
    square.FromText("9 8 7 6", true);
    EXPECT_EQ(Elements(square), Values({9, 8, 7, 6}));
    EXPECT_EQ(square.GetType(), 4);
}

struct TextFailure
{
    const char* text;
    bool keepShape;
};

TEST(KrMatrixTest, FromTextFailuresRaiseFormatErr)
{
    const TextFailure cases[] = {
        {"2 3 0 1 2 3 4 5", false}, {"x", false},        {"", false},       {"2 3", false},
        {"2 x 0 1 2 3 4 5 6", false}, {"1 2 0 1 y", false}, {"1 1 0    ", false}, {"9 8 7", true},
        {"9 x 7 6", true},          {"", true},
        {"30000 30000 0 1 2 3", false}, // a shape the text cannot fill is refused before resizing
    };
    for (const TextFailure& c : cases)
    {
        KrMatrix m = MakeMatrix(2, 2, {1, 2, 3, 4});
        EXPECT_RAISES(m.FromText(c.text, c.keepShape), KrErrFormatErr) << '"' << c.text << '"';
    }
    KrMatrix big = MakeMatrix(1, 1, {5});
    EXPECT_RAISES(big.FromText("30000 30000 0 1 2 3"), KrErrFormatErr);
    EXPECT_EQ(Elements(big), Values({5}));
}

TEST(KrMatrixTest, ShapesWithoutValuesCostNothing)
{
    KrMatrix m;
    m.FromText("2147483647 0 4");
    EXPECT_EQ(m.GetRows(), INT32_MAX);
    EXPECT_EQ(m.GetColumns(), 0);
    EXPECT_EQ(m.GetType(), 4);
    KrMatrix copy;
    copy.Assign(m);
    EXPECT_EQ(copy.GetRows(), INT32_MAX);
    EXPECT_EQ(copy.ToText(), KrString("2147483647 0 4 "));
}

TEST(KrMatrixTest, FromTextKeepsWhatItStoredBeforeAFailure)
{
    KrMatrix m;
    EXPECT_RAISES(m.FromText("2 3 0 1 2 3 4 5"), KrErrFormatErr);
    EXPECT_EQ(Elements(m), Values({1, 2, 3, 4, 5, 0}));
}
}
