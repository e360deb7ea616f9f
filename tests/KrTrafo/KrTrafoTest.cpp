#include "KrMath/KrTrafo.h"

#include "../KrCore/KrExpectError.h"
#include "KrData/KrDataBase.h"
#include "KrPlatform/KrPlatform.h"
#include "KrTrafoTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{
constexpr int32_t kTagRGB = 0x52474220;
constexpr int32_t kTagXYZ = 0x58595A20;

// The test's clock: it moves only when a test moves it.
int64_t testNow = 0;
int64_t TestClock()
{
    return testNow;
}

// Doubles every element and appends their sum (so the result has one row more than the
// input), typed 'XYZ '; counts its calls and moves the test clock by msPerCall each time.
class CountingTrafo : public KrTrafo
{
public:
    int32_t GetOutputSpace(int32_t) const override { return kTagXYZ; }
    KrVector Transform(const KrVector& in) const override
    {
        ++calls;
        testNow += msPerCall;
        if (fail)
            KR_RAISE(KrErrArgErr);
        KrVector out(in.GetSize() + 1, kTagXYZ);
        double sum = 0;
        for (int32_t i = 0; i < in.GetSize(); ++i)
        {
            out.At(i) = 2 * in.Get(i);
            sum += in.Get(i);
        }
        out.At(in.GetSize()) = sum;
        return out;
    }

    mutable int calls = 0;
    int64_t msPerCall = 0;
    bool fail = false;
};

// Keeps what it was told and when.
class RecordingObserver : public KrProgressObserver
{
public:
    void Unused() override { ADD_FAILURE() << "only ReportProgress may be called"; }
    void ReportProgress(double fraction) override
    {
        fractions.push_back(fraction);
        times.push_back(testNow);
    }

    Values fractions;
    std::vector<int64_t> times;
};

// A host's vector: only the interface's reading operations and Assign may be used on it.
class HostVector : public KrVectorData
{
public:
    HostVector(Values values, int32_t tag) : values(std::move(values)), tag(tag) {}

    KrVectorData& Assign(const KrVectorData& source) override
    {
        ++assigns;
        values.assign(size_t(source.GetSize()), 0.0);
        for (int32_t i = 0; i < source.GetSize(); ++i)
            values[size_t(i)] = source.Get(i);
        tag = source.GetType();
        return *this;
    }
    int32_t GetSize() const override { return static_cast<int32_t>(values.size()); }
    void SetSize(int32_t) override { ADD_FAILURE() << "SetSize on the host's vector"; }
    double Get(int32_t index) const override { return values.at(size_t(index)); }
    double& At(int32_t index) override
    {
        ADD_FAILURE() << "At on the host's vector";
        return values.at(size_t(index));
    }
    int32_t GetType() const override { return tag; }
    void SetType(int32_t) override { ADD_FAILURE() << "SetType on the host's vector"; }

    Values values;
    int32_t tag;
    int assigns = 0;
};

// A host's row-major matrix, with the same restrictions.
class HostMatrix : public KrMatrixData
{
public:
    HostMatrix(int32_t rows, int32_t columns, int32_t tag, Values values)
        : rows(rows), columns(columns), tag(tag), values(std::move(values))
    {
    }

    KrMatrixData& Assign(const KrMatrixData& source) override
    {
        rows = source.GetRows();
        columns = source.GetColumns();
        tag = source.GetType();
        values.clear();
        for (int32_t r = 0; r < rows; ++r)
        {
            for (int32_t c = 0; c < columns; ++c)
                values.push_back(source.Get(r, c));
        }
        return *this;
    }
    int32_t GetRows() const override { return rows; }
    int32_t GetColumns() const override { return columns; }
    void SetSize(int32_t, int32_t) override { ADD_FAILURE() << "SetSize on the host's matrix"; }
    double Get(int32_t row, int32_t column) const override { return values.at(size_t(row) * size_t(columns) + size_t(column)); }
    double& At(int32_t row, int32_t column) override
    {
        ADD_FAILURE() << "At on the host's matrix";
        return values.at(size_t(row) * size_t(columns) + size_t(column));
    }
    int32_t GetType() const override { return tag; }
    void SetType(int32_t) override { ADD_FAILURE() << "SetType on the host's matrix"; }

    int32_t rows;
    int32_t columns;
    int32_t tag;
    Values values;
};

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

class KrTrafoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testNow = 0;
        previousClock = KrPlatformSetClock(TestClock);
    }
    void TearDown() override { KrPlatformSetClock(previousClock); }

    KrPlatformClock previousClock = nullptr;
};

TEST_F(KrTrafoTest, PlainTransformIsTheIdentity)
{
    KrTrafo trafo;
    const KrVector in = MakeVector({1, 2, 3}, kTagRGB);
    const KrVector out = trafo.Transform(in);
    EXPECT_EQ(out, in);
    EXPECT_EQ(out.GetType(), kTagRGB);
    EXPECT_EQ(trafo.GetOne(), 1);
    EXPECT_EQ(trafo.GetInputDimension(), 0);
    EXPECT_EQ(trafo.GetOutputDimension(4), 4);
    EXPECT_EQ(trafo.GetInputSpace(), 0);
    EXPECT_EQ(trafo.GetOutputSpace(kTagRGB), kTagRGB);
}

TEST_F(KrTrafoTest, AnswersToItsNameAndItsBases)
{
    KrTrafo* trafo = new KrTrafo;
    EXPECT_STREQ(trafo->ClassName(), "KrTrafo");
    for (const char* name : {"KrTrafo", "KrObject", "KrCastBase"})
        EXPECT_EQ(trafo->Cast(name), trafo) << name;
    for (const char* name : {"krtrafo", "KrTrafoX", "KrFilter"})
        EXPECT_EQ(trafo->Cast(name), nullptr) << name;
    EXPECT_EQ(trafo->RefCount(), 1);
    trafo->SetAttribute(3, "kept until the last release");
    trafo->Release(); // the sanitizer build reports the table if it leaks
}

TEST_F(KrTrafoTest, AttributesAreStoredByKey)
{
    KrTrafo trafo;
    EXPECT_EQ(trafo.GetAttribute(7), KrString(""));
    trafo.SetAttribute(7, "seven");
    trafo.SetAttribute(-2, "minus two");
    EXPECT_EQ(trafo.GetAttribute(7), KrString("seven"));
    EXPECT_EQ(trafo.GetAttribute(-2), KrString("minus two"));
    EXPECT_EQ(trafo.GetAttribute(1), KrString(""));
    trafo.SetAttribute(7, "changed");
    EXPECT_EQ(trafo.GetAttribute(7), KrString("changed"));
    EXPECT_EQ(trafo.GetAttribute(-2), KrString("minus two"));
}

// Stores a default under key 1, as the system's own transforms do, and counts the calls.
class DefaultingTrafo : public KrTrafo
{
public:
    void InitAttributes() override
    {
        ++initCalls;
        if (storeDefault)
            SetAttribute(1, "1");
        KrTrafo::InitAttributes();
    }

    int initCalls = 0;
    bool storeDefault = true;
};

TEST_F(KrTrafoTest, DefaultAttributesAreInitialisedOnce)
{
    for (const bool getFirst : {true, false})
    {
        DefaultingTrafo trafo;
        if (getFirst)
            EXPECT_EQ(trafo.GetAttribute(1), KrString("1"));
        else
            trafo.SetAttribute(1, "overridden");
        EXPECT_EQ(trafo.initCalls, 1);
        trafo.SetAttribute(2, "two");
        EXPECT_EQ(trafo.GetAttribute(1), KrString(getFirst ? "1" : "overridden"));
        EXPECT_EQ(trafo.GetAttribute(2), KrString("two"));
        EXPECT_EQ(trafo.initCalls, 1) << (getFirst ? "GetAttribute first" : "SetAttribute first");
    }
}

TEST_F(KrTrafoTest, InitAttributesRunsOnceEvenWhenItStoresNothing)
{
    DefaultingTrafo trafo;
    trafo.storeDefault = false;
    EXPECT_EQ(trafo.GetAttribute(1), KrString(""));
    EXPECT_EQ(trafo.GetAttribute(1), KrString(""));
    trafo.SetAttribute(4, "four");
    EXPECT_EQ(trafo.GetAttribute(4), KrString("four"));
    EXPECT_EQ(trafo.initCalls, 1);
}

TEST_F(KrTrafoTest, EqualNeighbouringColumnsAreTransformedOnce)
{
    struct Case
    {
        std::initializer_list<std::initializer_list<double>> columns;
        int expectedCalls;
    };
    const Case cases[] = {
        {{{1, 2}, {1, 2}, {1, 2}, {1, 2}}, 1},
        {{{1, 2}, {1, 2}, {3, 4}, {3, 4}, {1, 2}}, 3}, // only the column before counts
        {{{1, 2}, {3, 4}, {5, 6}}, 3},
    };
    for (const Case& c : cases)
    {
        CountingTrafo trafo;
        const KrMatrix in = MakePoints(c.columns, kTagRGB);
        const KrMatrix out = trafo.TransformMatrix(in, nullptr);
        EXPECT_EQ(trafo.calls, c.expectedCalls);
        ASSERT_EQ(out.GetRows(), 3);
        ASSERT_EQ(out.GetColumns(), in.GetColumns());
        EXPECT_EQ(out.GetType(), kTagXYZ);
        for (int32_t i = 0; i < in.GetColumns(); ++i)
        {
            const double x = in.Get(0, i);
            const double y = in.Get(1, i);
            EXPECT_EQ(Elements(out.GetColumnVector(i)), Values({2 * x, 2 * y, x + y})) << "column " << i;
        }
    }
}

TEST_F(KrTrafoTest, NotANumberColumnsAreNeverTakenAsEqual)
{
    CountingTrafo trafo;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const KrMatrix out = trafo.TransformMatrix(MakePoints({{nan}, {nan}, {nan}}), nullptr);
    EXPECT_EQ(trafo.calls, 3);
    EXPECT_EQ(out.GetColumns(), 3);
}

TEST_F(KrTrafoTest, MatrixWithoutColumnsIsTypedByTheOutputSpace)
{
    for (const int32_t rows : {0, 3})
    {
        CountingTrafo trafo;
        const KrMatrix out = trafo.TransformMatrix(KrMatrix(rows, 0, kTagRGB), nullptr);
        EXPECT_EQ(trafo.calls, 0);
        EXPECT_EQ(out.GetColumns(), 0);
        EXPECT_EQ(out.GetRows(), 0);
        EXPECT_EQ(out.GetType(), kTagXYZ);
    }
    KrTrafo plain;
    EXPECT_EQ(plain.TransformMatrix(KrMatrix(), nullptr).GetType(), 0);
    EXPECT_EQ(plain.TransformMatrix(KrMatrix(2, 0, kTagRGB), nullptr).GetType(), kTagRGB);
}

TEST_F(KrTrafoTest, MatrixOfEveryShapeIsTransformed)
{
    const std::pair<int32_t, int32_t> shapes[] = {{0, 1}, {0, 4}, {1, 1}, {1, 5}, {3, 1}, {4, 6}};
    for (const auto& shape : shapes)
    {
        const int32_t rows = shape.first;
        const int32_t columns = shape.second;
        KrMatrix in(rows, columns, kTagRGB);
        for (int32_t r = 0; r < rows; ++r)
        {
            for (int32_t c = 0; c < columns; ++c)
                in.At(r, c) = r * 10 + c;
        }
        CountingTrafo counting;
        const KrMatrix out = counting.TransformMatrix(in, nullptr);
        ASSERT_EQ(out.GetRows(), rows + 1) << rows << "x" << columns;
        ASSERT_EQ(out.GetColumns(), columns);
        for (int32_t c = 0; c < columns; ++c)
            EXPECT_EQ(out.GetColumnVector(c), counting.Transform(in.GetColumnVector(c))) << rows << "x" << columns << " column " << c;

        const KrMatrix same = KrTrafo().TransformMatrix(in, nullptr);
        EXPECT_EQ(same.GetRows(), rows);
        EXPECT_EQ(Elements(same), Elements(in));
        EXPECT_EQ(same.GetType(), kTagRGB);
    }
}

TEST_F(KrTrafoTest, ProgressIsReportedAtMostOncePer200Milliseconds)
{
    const int32_t columns = 10;
    KrMatrix in(1, columns);
    for (int32_t c = 0; c < columns; ++c)
        in.At(0, c) = c;
    CountingTrafo trafo;
    trafo.msPerCall = 100;
    RecordingObserver observer;
    trafo.TransformMatrix(in, &observer);
    // The clock is noted at 0 and stands at 100 ms after each column; it must have moved on by
    // more than 200 ms before a column is reported.
    EXPECT_EQ(observer.fractions, Values({3.0 / 9, 6.0 / 9, 9.0 / 9}));
    EXPECT_EQ(observer.times, std::vector<int64_t>({300, 600, 900}));
}

TEST_F(KrTrafoTest, NoProgressWithoutTimePassingOrWithoutObserver)
{
    KrMatrix in(1, 50);
    for (int32_t c = 0; c < 50; ++c)
        in.At(0, c) = c;
    CountingTrafo still;
    RecordingObserver observer;
    still.TransformMatrix(in, &observer);
    EXPECT_TRUE(observer.fractions.empty());

    CountingTrafo slow;
    slow.msPerCall = 1000;
    EXPECT_EQ(slow.TransformMatrix(in, nullptr).GetColumns(), 50);
}

TEST_F(KrTrafoTest, TransformIntoUsesTheHostVectorThroughItsInterface)
{
    CountingTrafo trafo;
    HostVector separateIn({1, 2, 3}, kTagRGB);
    HostVector out({9}, 0);
    trafo.TransformInto(separateIn, out);
    EXPECT_EQ(out.values, Values({2, 4, 6, 6}));
    EXPECT_EQ(out.tag, kTagXYZ);
    EXPECT_EQ(separateIn.values, Values({1, 2, 3}));

    // The device passes one vector as both.
    HostVector both({10, 20, 30}, kTagRGB);
    trafo.TransformInto(both, both);
    EXPECT_EQ(both.values, Values({20, 40, 60, 60}));
    EXPECT_EQ(both.assigns, 1);

    KrVector ours = MakeVector({0.5}, kTagRGB);
    KrTrafo().TransformInto(ours, ours);
    EXPECT_EQ(Elements(ours), Values({0.5}));
    EXPECT_EQ(ours.GetType(), kTagRGB);
}

TEST_F(KrTrafoTest, FailedTransformLeavesTheOutputAsItWas)
{
    CountingTrafo trafo;
    trafo.fail = true;
    HostVector out({7, 8}, kTagRGB);
    EXPECT_RAISES(trafo.TransformInto(HostVector({1}, 0), out), KrErrArgErr);
    EXPECT_EQ(out.values, Values({7, 8}));
    EXPECT_EQ(out.assigns, 0);

    HostMatrix matrixOut(1, 1, 0, {5});
    EXPECT_RAISES(trafo.TransformMatrixInto(HostMatrix(1, 2, 0, {1, 2}), matrixOut, nullptr), KrErrArgErr);
    EXPECT_EQ(matrixOut.values, Values({5}));
}

TEST_F(KrTrafoTest, TransformMatrixIntoUsesTheHostMatrixAndIgnoresTheObserver)
{
    CountingTrafo trafo;
    trafo.msPerCall = 1000;
    const HostMatrix in(2, 3, kTagRGB, {1, 2, 3, 4, 5, 6});
    HostMatrix out(0, 0, 0, {});
    RecordingObserver observer;
    trafo.TransformMatrixInto(in, out, &observer);
    EXPECT_EQ(out.rows, 3);
    EXPECT_EQ(out.columns, 3);
    EXPECT_EQ(out.tag, kTagXYZ);
    EXPECT_EQ(out.values, Values({2, 4, 6, 8, 10, 12, 5, 7, 9}));
    EXPECT_TRUE(observer.fractions.empty());

    HostMatrix both(1, 2, kTagRGB, {1, 1});
    trafo.TransformMatrixInto(both, both, nullptr);
    EXPECT_EQ(both.values, Values({2, 2, 1, 1}));
}

TEST_F(KrTrafoTest, SettingsNameTheClass)
{
    KrTrafo trafo;
    KrDataBase db;
    trafo.ReadSettings(db); // reads the type, creates nothing
    EXPECT_EQ(db.Count(), 0);
    trafo.WriteSettings(db);
    EXPECT_EQ(db.ToText(), KrString("Type = KrTrafo\n"));
    trafo.ReadSettings(db);
    EXPECT_EQ(db.ToText(), KrString("Type = KrTrafo\n"));

    // Subclasses inherit the name.
    KrDataBase counted;
    CountingTrafo().WriteSettings(counted);
    EXPECT_EQ(counted.GetString("Type", ""), KrString("KrTrafo"));
}
}
