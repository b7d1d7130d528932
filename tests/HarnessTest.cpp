// Checks that test programs run under Wine as the architecture they were built for.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Harness, RunsAsItsOwnArchitecture) {
    EXPECT_EQ(XARN_POINTER_BYTES, static_cast<int>(sizeof(void*)));
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_EQ(sizeof(void*) == 4, wow64 != FALSE);
}

TEST(Harness, PrefixHasNoHostRootDrive) {
    EXPECT_EQ(DRIVE_NO_ROOT_DIR, GetDriveTypeW(L"Z:\\"));
}
