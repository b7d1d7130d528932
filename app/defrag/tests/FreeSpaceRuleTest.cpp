#include "FreeSpaceRule.h"

#include <gtest/gtest.h>

namespace {

TEST(FreeSpaceRule, PercentOrOneGibibyte) {
    constexpr ULONGLONG kGB = 1'000'000'000;
    EXPECT_TRUE(HasEnoughFreeSpace(7'900'000'000, 100 * kGB)) << "7 % but 7.9 GB free";
    EXPECT_TRUE(HasEnoughFreeSpace(900'000'000, 10 * kGB)) << "9 %";
    EXPECT_FALSE(HasEnoughFreeSpace(790'000'000, 10 * kGB)) << "7 % and under 1 GiB";
    EXPECT_TRUE(HasEnoughFreeSpace(800'000'000, 10 * kGB)) << "exactly 8 %";
    EXPECT_TRUE(HasEnoughFreeSpace(kFreeSpaceFloorBytes, ~0ull));
    EXPECT_FALSE(HasEnoughFreeSpace(kFreeSpaceFloorBytes - 1, ~0ull));
}

TEST(FreeSpaceRule, SizeZeroRefusesWithoutDividing) {
    EXPECT_FALSE(HasEnoughFreeSpace(0, 0));
    EXPECT_FALSE(HasEnoughFreeSpace(5'000'000'000, 0));
}

TEST(FreeSpaceRule, UnreadableDriveRefuses) {
    // No drive answers for a letter outside the mask.
    const DWORD mask = GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter >= L'D'; --letter) {
        if ((mask & (1u << (letter - L'A'))) == 0) {
            EXPECT_FALSE(DriveHasEnoughFreeSpace(letter));
            EXPECT_EQ(0u, DriveTotalBytes(letter));
            return;
        }
    }
    GTEST_SKIP() << "every letter is in use";
}

} // namespace
