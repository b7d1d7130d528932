// Extent lists: fragment counting, sparse runs and the running sums the moves rely on.
#include "ExtentList.h"

#include <gtest/gtest.h>

TEST(ExtentList, AdjacentRealExtentsAreOneFragment) {
    ExtentList list;
    list.Append(100, 4);
    list.Append(104, 6);
    EXPECT_EQ(1u, list.fragmentCount);
    EXPECT_EQ(2u, list.ExtentCount());
    EXPECT_FALSE(list.StartsFragment(1));
    EXPECT_EQ(10u, list.allocatedClusters);
    EXPECT_EQ(4u, list.extents[1].startVcn);
    EXPECT_EQ(4u, list.extents[1].allocatedBefore);
}

TEST(ExtentList, LeadingSparseRunIsAnEntryAndLaterOnesWidenTheExtentBefore) {
    ExtentList list;
    list.Append(-1, 8);
    list.Append(50, 3);
    list.Append(-1, 5);
    list.Append(70, 2);
    list.Append(72, 1);
    ASSERT_EQ(4u, list.ExtentCount());
    EXPECT_EQ(1u, list.FirstRealIndex());
    EXPECT_EQ(8u, list.extents[0].span);
    EXPECT_EQ(0u, list.extents[0].allocatedClusters);
    EXPECT_EQ(8u, list.extents[1].span); // 3 own + 5 sparse
    EXPECT_EQ(16u, list.extents[2].startVcn);
    EXPECT_EQ(3u, list.extents[2].allocatedBefore);
    EXPECT_EQ(2u, list.fragmentCount);
    EXPECT_EQ(6u, list.allocatedClusters);
    EXPECT_EQ(19u, list.totalClusters);
    EXPECT_EQ(3u, list.AllocatedFrom(2));
    EXPECT_TRUE(list.StartsFragment(1));
    EXPECT_TRUE(list.StartsFragment(2));
    EXPECT_FALSE(list.StartsFragment(3));
}

TEST(ExtentList, ExtentsOutOfPhysicalOrderAreSeparateFragments) {
    ExtentList list;
    list.Append(200, 2);
    list.Append(100, 2);
    list.Append(102, 2);
    list.Append(202, 2); // adjacent to the first extent, but not to the one before it
    EXPECT_EQ(3u, list.fragmentCount);
    list.Clear();
    EXPECT_EQ(0u, list.ExtentCount());
    EXPECT_EQ(0u, list.fragmentCount);
    EXPECT_EQ(0u, list.totalClusters);
}
