#include "KrCore/KrObject.h"
#include "KrCore/KrPtr.h"
#include "KrCore/KrString.h"
#include "KrData/KrArray.h"

#include "../KrCore/KrExpectError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<int> Contents(const KrArray<int>& array)
{
    std::vector<int> contents;
    for (int32_t i = 0; i < array.Size(); ++i)
        contents.push_back(array.At(i));
    return contents;
}

KrArray<int> Counting(int32_t size)
{
    KrArray<int> array(size);
    for (int32_t i = 0; i < size; ++i)
        array.At(i) = 10 * (i + 1);
    return array;
}
}

TEST(KrArray, AccessIsChecked)
{
    KrArray<int> array = Counting(3);
    const KrArray<int>& constant = array;
    EXPECT_EQ(array.At(2), 30);
    EXPECT_EQ(constant.At(0), 10);
    for (int32_t index : {3, -1, 100})
    {
        EXPECT_RAISES(array.At(index), KrErrIndexError);
        EXPECT_RAISES(constant.At(index), KrErrIndexError);
    }
    EXPECT_RAISES(KrArray<int>().At(0), KrErrIndexError);
    EXPECT_EQ(KrArray<int>(-4).Size(), 0);
}

TEST(KrArray, SetSizeIsExactAndKeepsTheLeadingElements)
{
    struct Case
    {
        int32_t size;
        std::vector<int> contents;
    };
    const Case cases[] = {
        {2, {10, 20}}, {5, {10, 20, 30, 0, 0}}, {0, {}}, {-1, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.size);
        KrArray<int> array = Counting(3);
        array.SetSize(c.size);
        EXPECT_EQ(Contents(array), c.contents);
    }

    KrArray<int> same = Counting(3);
    const int* block = &same.At(0);
    same.SetSize(3);
    EXPECT_EQ(&same.At(0), block);
}

TEST(KrArray, FindAnswersTheFirstEqualElement)
{
    KrArray<KrString> names(4);
    names.At(0) = "red";
    names.At(1) = "green";
    names.At(3) = "green";
    EXPECT_EQ(names.Find("green"), 1);
    EXPECT_EQ(names.Find(""), 2);
    EXPECT_EQ(names.Find("blue"), -1);
}

TEST(KrArray, CopiesAreIndependent)
{
    KrArray<int> source = Counting(3);
    KrArray<int> copy(source);
    KrArray<int> assigned(7);
    assigned = source;
    const KrArray<int>& alias = assigned;
    assigned = alias;
    source.At(0) = -1;
    EXPECT_EQ(Contents(copy), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(Contents(assigned), (std::vector<int>{10, 20, 30}));
}

TEST(KrArray, OwnsItsElements)
{
    KrObject* object = new KrObject;
    {
        KrArray<KrPtr<KrObject>> pointers(3);
        pointers.At(0) = object;
        pointers.At(2) = object;
        EXPECT_EQ(object->RefCount(), 3);
        pointers.SetSize(1);
        EXPECT_EQ(object->RefCount(), 2);
    }
    EXPECT_EQ(object->RefCount(), 1);
    object->Release();
}
