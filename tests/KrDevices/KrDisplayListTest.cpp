#include "KrDeviceTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct ExpectedRecord
{
    int32_t index;
    int32_t left;
    std::string deviceName;
    bool isPrimary;
};

struct DisplayCase
{
    const char* what;
    std::vector<KrPlatformDisplay> attached;
    std::vector<ExpectedRecord> records;
};

KrPlatformDisplay Display(int32_t left, const char* name, bool primary)
{
    return {true, left, -100, left + 1280, 924, name, primary};
}

KrPlatformDisplay Undescribed()
{
    return KrPlatformDisplay{};
}

using KrDisplayListTest = KrDeviceTest;

TEST_F(KrDisplayListTest, HoldsTheDescribedDisplaysInTheSystemsOrder)
{
    const DisplayCase cases[] = {
        {"none", {}, {}},
        {"one", {Display(0, "eDP-1", true)}, {{0, 0, "eDP-1", true}}},
        {"two, the primary second",
         {Display(-1280, "HDMI-1", false), Display(0, "eDP-1", true)},
         {{0, -1280, "HDMI-1", false}, {1, 0, "eDP-1", true}}},
        {"three",
         {Display(0, "DP-1", true), Display(1280, "DP-2", false), Display(2560, "DP-3", false)},
         {{0, 0, "DP-1", true}, {1, 1280, "DP-2", false}, {2, 2560, "DP-3", false}}},
        {"a failing query is skipped and the indices stay consecutive",
         {Display(0, "DP-1", true), Undescribed(), Display(2560, "DP-3", false)},
         {{0, 0, "DP-1", true}, {1, 2560, "DP-3", false}}},
        {"only failing queries", {Undescribed(), Undescribed()}, {}},
        {"a name beyond ASCII", {Display(0, "Bildschirm \xC3\xBC", true)}, {{0, 0, "Bildschirm \xC3\xBC", true}}},
    };
    for (const DisplayCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        ReleaseDisplayList();
        AttachedDisplays::displays = c.attached;
        const KrArray<DisplayRecord>& list = GetDisplayList();
        ASSERT_EQ(list.Size(), int32_t(c.records.size()));
        for (int32_t i = 0; i < list.Size(); ++i)
        {
            const DisplayRecord& record = list.At(i);
            const ExpectedRecord& expected = c.records[size_t(i)];
            EXPECT_EQ(record.index, expected.index);
            EXPECT_EQ(record.bounds.left, expected.left);
            EXPECT_EQ(record.bounds.top, -100);
            EXPECT_EQ(record.bounds.right, expected.left + 1280);
            EXPECT_EQ(record.bounds.bottom, 924);
            EXPECT_STREQ(record.deviceName.Text(), expected.deviceName.c_str());
            EXPECT_EQ(record.isPrimary, expected.isPrimary);
        }
    }
}

TEST_F(KrDisplayListTest, IsBuiltOnceUntilReleased)
{
    AttachDisplays(2);
    const KrArray<DisplayRecord>& first = GetDisplayList();
    AttachDisplays(3); // attached later: not seen
    const KrArray<DisplayRecord>& second = GetDisplayList();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.Size(), 2);
    EXPECT_EQ(AttachedDisplays::enumerations, 0);

    ReleaseDisplayList();
    EXPECT_EQ(GetDisplayList().Size(), 3);
    EXPECT_EQ(AttachedDisplays::enumerations, 1);
}

// Without an X server there is nothing to enumerate, and that is no failure.
TEST(KrPlatformDisplays, AreNoneWithoutAnXServer)
{
    const char* unreachable[] = {nullptr, ":97"};
    for (const char* display : unreachable)
    {
        SCOPED_TRACE(display != nullptr ? display : "DISPLAY unset");
        KrScopedEnvironment environment("DISPLAY", display);
        EXPECT_TRUE(KrPlatformEnumerateDisplays().empty());
    }
}
}
