#include "ServiceControl.h"

#include "SystemInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Only the branch that never restarts is run: with updates pending the program quits with 18.
TEST(RestartWindows, PendingUpdatesEndTheProgramWithCode18) {
    if (GetOsMajorVersion() <= 5)
        GTEST_SKIP() << "this Windows would really restart";
    wchar_t windows[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    const std::wstring folder = std::wstring(windows) + L"\\winsxs";
    const std::wstring pending = folder + L"\\pending.xml";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(KernelHandle(
        CreateFileW(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(pending.c_str()));

    RestartWindows(nullptr);
    MSG message{};
    const bool quit = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    DeleteFileW(pending.c_str());
    ASSERT_TRUE(quit);
    EXPECT_EQ(static_cast<WPARAM>(kExitCodeUpdatesPending), message.wParam);
}

TEST(RestartWindows, ShutdownPrivilegeOfAnAdministrator) {
    KernelHandle token;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put()));
    EXPECT_TRUE(EnableShutdownPrivilege(token.Get()));
    EXPECT_FALSE(EnableShutdownPrivilege(nullptr));
}

} // namespace
