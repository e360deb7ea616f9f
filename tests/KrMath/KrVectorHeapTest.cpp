// Once the record caches are warm, small vectors and matrices live without the heap.
#include "KrMath/KrMatrix.h"
#include "KrMath/KrVector.h"
#include "CountingHeap.h"
#include "KrMathTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// Allocations made by action, after running it once to warm the caches.
template <class Action>
long AllocationsOnceWarm(Action action)
{
    action();
    const long before = HeapAllocationCount();
    for (int i = 0; i < 1000; ++i)
        action();
    return HeapAllocationCount() - before;
}

class KrVectorHeapTest : public ::testing::Test
{
protected:
    // Tools such as valgrind put their own operator new in place of the counting one.
    void SetUp() override
    {
        static int* volatile probe = nullptr;
        const long before = HeapAllocationCount();
        probe = new int(1);
        delete probe;
        if (HeapAllocationCount() == before)
            GTEST_SKIP() << "operator new is not the counting one in this run";
    }
};

TEST_F(KrVectorHeapTest, SmallVectorsReuseCachedRecords)
{
    const double rgb[] = {10, 20, 30};
    EXPECT_EQ(AllocationsOnceWarm([&rgb] {
                  KrVector colour(3, kTagRGB, rgb);
                  KrVector copy(colour);
                  copy.At(1) = 5.0; // unsharing takes a second record
                  KrVector sum = colour + copy;
                  if (sum.Get(1) != 25.0)
                      std::abort();
              }),
              0);
}

TEST_F(KrVectorHeapTest, MatricesReuseRecordsOfTheSameValueCount)
{
    EXPECT_EQ(AllocationsOnceWarm([] {
                  KrMatrix m(3, 4);
                  KrMatrix copy(m);
                  copy.SetSize(4, 3);
                  copy.At(3, 2) = 1.0;
              }),
              0);
}
}
