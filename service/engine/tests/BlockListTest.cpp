#include "BlockList.h"

#include <gtest/gtest.h>

#include <string>

// Entries across several blocks keep their order, their values and their place in memory.
TEST(BlockList, GrowsByBlocksWithoutMovingItsEntries) {
    BlockList<std::wstring, 4> list;
    EXPECT_EQ(0u, list.Size());
    list.Append(L"a path long enough to live on the heap, 0");
    const std::wstring* first = &list[0];
    for (int i = 1; i < 13; ++i) {
        list.Append(L"a path long enough to live on the heap, " + std::to_wstring(i));
    }
    ASSERT_EQ(13u, list.Size());
    EXPECT_EQ(first, &list[0]);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(L"a path long enough to live on the heap, " + std::to_wstring(i), list[i]);
    }

    BlockList<std::wstring, 4> other;
    other.Append(L"x");
    list.Swap(other);
    ASSERT_EQ(1u, list.Size());
    EXPECT_EQ(L"x", list[0]);
    ASSERT_EQ(13u, other.Size());
    EXPECT_EQ(first, &other[0]);
}
