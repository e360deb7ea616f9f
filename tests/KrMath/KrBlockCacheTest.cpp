// The caches of released vector and matrix records.
#include "KrMath/KrBlockCache.h"

#include "KrMath/KrMatrix.h"
#include "KrMath/KrMatrixBlock.h"
#include "KrMath/KrVector.h"
#include "KrMath/KrVectorBlock.h"
#include "KrMathTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace
{
// A large record that only a request for exactly its size fits; id tells records apart.
KrVectorBlock* LargeRecord(KrVectorBlock*, int32_t id)
{
    KrVectorBlock* block = KrVectorBlock::Allocate(100 + id);
    block->count = 100 + id;
    return block;
}

KrMatrixBlock* LargeRecord(KrMatrixBlock*, int32_t id)
{
    KrMatrixBlock* block = KrMatrixBlock::Allocate(size_t(100 + id));
    block->rows = 1;
    block->columns = 100 + id;
    return block;
}

bool SameSize(const KrVectorBlock& a, const KrVectorBlock& b)
{
    return a.count == b.count;
}

bool SameSize(const KrMatrixBlock& a, const KrMatrixBlock& b)
{
    return a.ValueCount() == b.ValueCount();
}

template <class Block, int32_t Slots>
struct CacheKind
{
    using BlockType = Block;
    using Cache = KrBlockCache<Block, Slots>;
    static constexpr int32_t kSlots = Slots;
};

template <class Kind>
class KrBlockCacheTest : public ::testing::Test
{
protected:
    using Block = typename Kind::BlockType;
    static constexpr int32_t kSlots = Kind::kSlots;

    static Block* Record(int32_t id) { return LargeRecord(static_cast<Block*>(nullptr), id); }
    static bool AnyRecord(const Block&) { return true; }

    // The cache frees what it replaces; what is left in it is freed here.
    void TearDown() override
    {
        while (Block* block = cache.Take(AnyRecord))
            Block::Free(block);
    }

    typename Kind::Cache cache;
};

using CacheKinds = ::testing::Types<CacheKind<KrVectorBlock, 20>, CacheKind<KrMatrixBlock, 10>>;
TYPED_TEST_SUITE(KrBlockCacheTest, CacheKinds);

TYPED_TEST(KrBlockCacheTest, AFullCacheReplacesItsVictimWalkingBackwards)
{
    const int32_t slots = TestFixture::kSlots;
    std::vector<typename TestFixture::Block*> records;
    for (int32_t i = 0; i < slots + 2; ++i)
        records.push_back(TestFixture::Record(i));
    for (int32_t i = 0; i < slots; ++i)
        this->cache.Put(records[size_t(i)]);
    for (int32_t i = 0; i < slots; ++i)
        ASSERT_EQ(this->cache.SlotContent(i), records[size_t(i)]) << i;
    EXPECT_EQ(this->cache.Victim(), 0);

    this->cache.Put(records[size_t(slots)]); // one record more than slots: slot 0 is replaced
    EXPECT_EQ(this->cache.SlotContent(0), records[size_t(slots)]);
    EXPECT_EQ(this->cache.Victim(), slots - 1);
    this->cache.Put(records[size_t(slots) + 1]); // the next replacement uses the last slot
    EXPECT_EQ(this->cache.SlotContent(slots - 1), records[size_t(slots) + 1]);
    EXPECT_EQ(this->cache.Victim(), slots - 2);
    for (int32_t i = 1; i < slots - 1; ++i)
        EXPECT_EQ(this->cache.SlotContent(i), records[size_t(i)]) << i;
}

TYPED_TEST(KrBlockCacheTest, TakeAnswersTheFirstFittingSlotAndEmptiesIt)
{
    auto* first = TestFixture::Record(1);
    auto* other = TestFixture::Record(2);
    auto* second = TestFixture::Record(1);
    this->cache.Put(first);
    this->cache.Put(other);
    this->cache.Put(second);
    const auto sizeOfFirst = [first](const typename TestFixture::Block& cached) { return SameSize(cached, *first); };
    EXPECT_EQ(this->cache.Take(sizeOfFirst), first);
    EXPECT_EQ(this->cache.SlotContent(0), nullptr);
    EXPECT_EQ(this->cache.SlotContent(1), other);
    EXPECT_EQ(this->cache.Take(sizeOfFirst), second);
    this->cache.Put(second); // back into the first empty slot
    EXPECT_EQ(this->cache.SlotContent(0), second);
    TestFixture::Block::Free(first);
    EXPECT_EQ(this->cache.Take([](const typename TestFixture::Block&) { return false; }), nullptr);
}

TYPED_TEST(KrBlockCacheTest, ABusyCacheIsBypassedWithoutWaiting)
{
    auto* kept = TestFixture::Record(1);
    this->cache.Put(kept);
    {
        typename TypeParam::Cache::Guard holder(this->cache); // as if another thread were inside
        ASSERT_TRUE(holder.Entered());
        EXPECT_EQ(this->cache.Take(TestFixture::AnyRecord), nullptr);
        this->cache.Put(TestFixture::Record(2)); // freed at once
        EXPECT_EQ(this->cache.SlotContent(1), nullptr);
    }
    EXPECT_EQ(this->cache.Take(TestFixture::AnyRecord), kept);
    TestFixture::Block::Free(kept);
}

TEST(KrVectorBlockTest, SmallRequestsTakeAnyRecordLargeOnesTheirOwnCount)
{
    struct Case
    {
        int32_t cachedCount;
        int32_t requested;
        bool fits;
    };
    const Case cases[] = {{3, 3, true},   {1, 4, true},    {100, 2, true},   {-4, 0, true},  {4, 5, false},
                          {6, 5, false}, {100, 100, true}, {100, 99, false}, {-5, 5, false}};
    for (const Case& c : cases)
    {
        KrVectorBlock cached{1, c.cachedCount, 0};
        EXPECT_EQ(KrVectorBlock::Fits(cached, c.requested), c.fits) << c.cachedCount << " for " << c.requested;
    }
}

TEST(KrMatrixBlockTest, AnyShapeWithAsManyValuesFits)
{
    struct Case
    {
        int32_t cachedRows, cachedColumns, rows, columns;
        bool fits;
    };
    const Case cases[] = {{2, 3, 3, 2, true}, {1, 6, 6, 1, true}, {2, 3, 2, 2, false}, {0, 5, 7, 0, true}, {3, 3, 3, 4, false}};
    for (const Case& c : cases)
    {
        KrMatrixBlock cached{1, c.cachedRows, c.cachedColumns, 0};
        EXPECT_EQ(KrMatrixBlock::Fits(cached, c.rows, c.columns), c.fits)
            << c.cachedRows << "x" << c.cachedColumns << " for " << c.rows << "x" << c.columns;
    }
}

TEST(KrVectorCacheTest, AReleasedRecordServesTheNextVectorOfItsSize)
{
    const double* released = nullptr;
    {
        KrVector large(4093);
        released = large.Data();
    }
    KrVector next(4093, kTagRGB);
    EXPECT_EQ(next.Data(), released);
    EXPECT_EQ(next.GetType(), kTagRGB);
    EXPECT_EQ(next.Get(4092), 0.0); // a reused record comes cleared

    const double* matrixValues = nullptr;
    {
        KrMatrix m(61, 67);
        m.At(60, 66) = 5.0;
        matrixValues = &m.At(0, 0);
    }
    KrMatrix turned(67, 61);
    EXPECT_EQ(&turned.At(0, 0), matrixValues);
    EXPECT_EQ(turned.Get(66, 60), 0.0);
}

TEST(KrVectorCacheTest, VectorsWorkWhileTheCacheIsBusy)
{
    KrVectorBlockCache::Guard vectorHolder(KrVectorBlock::Cache());
    KrMatrixBlockCache::Guard matrixHolder(KrMatrixBlock::Cache());
    // Waiting for the holders would never end here.
    for (int32_t n : {3, 4093})
    {
        KrVector v(n, kTagRGB);
        KrVector copy(v);
        copy.At(n - 1) = 1.0;
        EXPECT_EQ(v.Get(n - 1), 0.0);
        EXPECT_EQ(copy.Get(n - 1), 1.0);
    }
    KrMatrix m(2, 2);
    KrMatrix copy(m);
    copy.At(1, 1) = 1.0;
    EXPECT_EQ(m.Get(1, 1), 0.0);
}

// Two threads create, copy, write and drop vectors and matrices at once, small and large.
TEST(KrVectorCacheTest, TwoThreadsShareTheCachesSafely)
{
    const int32_t kRounds = 50000;
    std::atomic<int32_t> wrong{0};
    const auto work = [&wrong](double seed) {
        for (int32_t i = 0; i < kRounds; ++i)
        {
            const double values[3] = {seed, double(i), -double(i)};
            const KrVector colour(3, kTagRGB, values);
            KrVector changed(colour);
            changed.At(0) += 1.0;
            KrVector large(5 + i % 3, 0);
            large.At(4) = i;
            KrMatrix m(2, 3 + i % 2);
            m.At(1, 2) = seed;
            const KrMatrix mCopy(m);
            if (colour.Get(0) != seed || colour.Get(1) != i || changed.Get(0) != seed + 1.0 ||
                colour.GetType() != kTagRGB || large.Get(4) != i || mCopy.Get(1, 2) != seed)
                ++wrong;
        }
    };
    std::thread first(work, 1.0);
    std::thread second(work, 2.0);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);

    std::set<const KrVectorBlock*> cached;
    int32_t filled = 0;
    for (int32_t i = 0; i < 20; ++i)
    {
        if (const KrVectorBlock* block = KrVectorBlock::Cache().SlotContent(i))
        {
            cached.insert(block);
            ++filled;
        }
    }
    EXPECT_EQ(cached.size(), size_t(filled)) << "a record sits in two slots";
}
}
