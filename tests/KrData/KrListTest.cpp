#include "KrCore/KrObject.h"
#include "KrCore/KrPtr.h"
#include "KrData/KrList.h"

#include "../KrCore/KrExpectError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// The capacities a list passes through while count elements are appended.
std::vector<int32_t> CapacitiesWhileAppending(KrList<int>& list, int count)
{
    std::vector<int32_t> capacities{list.Capacity()};
    for (int i = 0; i < count; ++i)
    {
        list.Append(i);
        if (list.Capacity() != capacities.back())
            capacities.push_back(list.Capacity());
    }
    return capacities;
}

std::vector<int> Contents(const KrList<int>& list)
{
    std::vector<int> contents;
    for (int32_t i = 0; i < list.Count(); ++i)
        contents.push_back(list.At(i));
    return contents;
}

std::vector<int> Sequence(int count)
{
    std::vector<int> sequence;
    for (int i = 0; i < count; ++i)
        sequence.push_back(i);
    return sequence;
}
}

TEST(KrList, GrowsFromTenSlotsKeepingTheOrder)
{
    KrList<int> list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(CapacitiesWhileAppending(list, 100), (std::vector<int32_t>{10, 21, 43, 87, 175}));
    EXPECT_EQ(Contents(list), Sequence(100));
}

TEST(KrList, ClearGivesBackTheSlotsAndRegrowsFromOne)
{
    KrList<int> list;
    CapacitiesWhileAppending(list, 12);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_RAISES(list.At(0), KrErrIndexError);
    EXPECT_EQ(CapacitiesWhileAppending(list, 10), (std::vector<int32_t>{0, 1, 3, 7, 15}));
    EXPECT_EQ(Contents(list), Sequence(10));
}

TEST(KrList, AccessIsChecked)
{
    KrList<int> list;
    list.Append(5);
    list.Append(6);
    const KrList<int>& constant = list;
    EXPECT_EQ(constant.At(1), 6);
    list.At(0) = 7;
    EXPECT_EQ(constant.At(0), 7);
    for (int32_t index : {2, 9, -1})
    {
        EXPECT_RAISES(list.At(index), KrErrIndexError);
        EXPECT_RAISES(constant.At(index), KrErrIndexError);
    }
}

TEST(KrList, ResizeKeepsTheLeadingElements)
{
    KrList<int> list;
    CapacitiesWhileAppending(list, 6);
    list.Resize(3);
    EXPECT_EQ(list.Capacity(), 3);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2}));
    list.Resize(3); // the count: nothing happens
    EXPECT_EQ(list.Capacity(), 3);
    list.Append(9);
    EXPECT_EQ(list.Capacity(), 7);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 9}));
    list.Resize(8);
    list.Append(10);
    EXPECT_EQ(list.Capacity(), 8);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 9, 10}));
}

TEST(KrList, AppendingItsOwnElementWhenFullAppendsAnIntactCopy)
{
    KrList<std::string> list;
    for (int i = 0; i < 10; ++i)
        list.Append(std::string(40, static_cast<char>('a' + i)));
    ASSERT_EQ(list.Count(), list.Capacity());
    list.Append(list.At(3));
    EXPECT_EQ(list.Count(), 11);
    EXPECT_EQ(list.At(10), std::string(40, 'd'));
    EXPECT_EQ(list.At(3), std::string(40, 'd'));
}

TEST(KrList, ClearReleasesTheElements)
{
    KrObject* object = new KrObject;
    KrList<KrPtr<KrObject>> list;
    KrPtr<KrObject> pointer;
    pointer = object;
    for (int i = 0; i < 11; ++i)
        list.Append(pointer);
    EXPECT_EQ(object->RefCount(), 13);
    list.Clear();
    EXPECT_EQ(object->RefCount(), 2);
    pointer = nullptr;
    EXPECT_EQ(object->RefCount(), 1);
    object->Release();
}
