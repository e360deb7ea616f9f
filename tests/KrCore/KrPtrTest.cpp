#include "KrCore/KrObject.h"
#include "KrCore/KrPtr.h"

#include "KrExpectError.h"

#include <gtest/gtest.h>

namespace
{
// An object whose reported count a test can force, as a damaged object would report it.
class Probe : public KrObject
{
public:
    int32_t RefCount() const override { return forced ? forcedCount : KrObject::RefCount(); }
    void Release() override
    {
        ++releases;
        KrObject::Release();
    }

    bool forced = false;
    int32_t forcedCount = 0;
    int releases = 0;
};

class KrPtrTest : public ::testing::Test
{
protected:
    ~KrPtrTest() override { probe->Release(); }

    Probe* probe = new Probe; // the test holds the first reference
};
}

TEST_F(KrPtrTest, CopiesHoldOneReferenceEach)
{
    {
        KrPtr<Probe> first;
        first = probe;
        EXPECT_EQ(probe->RefCount(), 2);
        {
            KrPtr<Probe> second(first);
            EXPECT_EQ(probe->RefCount(), 3);
            EXPECT_EQ(second.Get(), probe);
            EXPECT_EQ(second->RefCount(), 3);
        }
        EXPECT_EQ(probe->RefCount(), 2);
    }
    EXPECT_EQ(probe->RefCount(), 1);
}

TEST_F(KrPtrTest, AssignmentRetainsTheNewObjectAndReleasesTheOld)
{
    Probe* other = new Probe;
    {
        KrPtr<Probe> pointer;
        pointer = probe;
        pointer = probe;
        const KrPtr<Probe>& alias = pointer;
        pointer = alias;
        EXPECT_EQ(probe->RefCount(), 2);
        EXPECT_EQ(probe->releases, 0);

        pointer = other;
        EXPECT_EQ(probe->RefCount(), 1);
        EXPECT_EQ(other->RefCount(), 2);
        pointer = nullptr;
        EXPECT_EQ(other->RefCount(), 1);
        EXPECT_EQ(pointer.Get(), nullptr);
    }
    other->Release();
}

TEST_F(KrPtrTest, DestroyingWithANonPositiveCountRaisesAndKeepsTheObject)
{
    for (int32_t reported : {0, -1})
    {
        probe->releases = 0;
        EXPECT_RAISES(
            {
                KrPtr<Probe> pointer;
                pointer = probe;
                probe->forced = true;
                probe->forcedCount = reported;
            },
            KrErrPtrInvalid);
        EXPECT_EQ(probe->releases, 0);
        probe->forced = false;
        EXPECT_EQ(probe->RefCount(), 2);
        probe->Release();
    }
}

TEST_F(KrPtrTest, DestroyingWhileAnErrorUnwindsKeepsThatError)
{
    try
    {
        KrPtr<Probe> pointer;
        pointer = probe;
        probe->forced = true;
        KR_RAISE(KrErrNotFound);
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), KrErrNotFound.code);
    }
    probe->forced = false;
    EXPECT_EQ(probe->releases, 0);
    EXPECT_EQ(probe->RefCount(), 2);
    probe->Release();
}
