// The real backend passes calls and errors through unchanged.
#include "WindowsVolumeApi.h"

#include <gtest/gtest.h>

#include <string>

TEST(WindowsVolumeApi, ReportsMissingObjectsWithTheSystemsError) {
    CWindowsVolumeApi api;
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              api.CreateFileW(L"C:\\no such folder\\no such file", FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST(WindowsVolumeApi, EnumeratesAFolderAndSizesAFile) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring folder = std::wstring(temp) + L"xarn-volume-test";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\seven.bin";
    HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, "1234567", 7, &written, nullptr));
    ::CloseHandle(out);

    CWindowsVolumeApi api;
    WIN32_FIND_DATAW data{};
    HANDLE find = api.FindFirstFileW((folder + L"\\*").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    bool seen = false;
    do {
        seen = seen || std::wstring(data.cFileName) == L"seven.bin";
    } while (api.FindNextFileW(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_TRUE(api.FindClose(find));
    EXPECT_TRUE(seen);

    HANDLE item = api.CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  FILE_FLAG_NO_BUFFERING);
    ASSERT_NE(INVALID_HANDLE_VALUE, item);
    LARGE_INTEGER size{};
    EXPECT_TRUE(api.GetFileSizeEx(item, &size));
    EXPECT_EQ(7, size.QuadPart);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(api.GetFileInformationByHandle(item, &info));
    EXPECT_EQ(7u, info.nFileSizeLow);
    EXPECT_EQ(0u, info.nFileSizeHigh);
    EXPECT_EQ(1u, info.nNumberOfLinks);
    EXPECT_EQ(0u, info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(api.CloseHandle(item));
    SetLastError(0);
    EXPECT_FALSE(api.GetFileInformationByHandle(item, &info)); // closed now
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(WindowsVolumeApi, IdentifiesBothNamesOfAHardLinkedFileAsOneFile) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring file = std::wstring(temp) + L"xarn-volume-linked.bin";
    const std::wstring link = std::wstring(temp) + L"xarn-volume-link.bin";
    DeleteFileW(link.c_str());
    HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    ::CloseHandle(out);
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), file.c_str(), nullptr)) << GetLastError();

    CWindowsVolumeApi api;
    const auto identify = [&api](const std::wstring& path) {
        BY_HANDLE_FILE_INFORMATION info{};
        HANDLE item = api.CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
        EXPECT_NE(INVALID_HANDLE_VALUE, item);
        EXPECT_TRUE(api.GetFileInformationByHandle(item, &info));
        EXPECT_TRUE(api.CloseHandle(item));
        return info;
    };
    const BY_HANDLE_FILE_INFORMATION first = identify(file);
    const BY_HANDLE_FILE_INFORMATION second = identify(link);
    EXPECT_EQ(2u, first.nNumberOfLinks);
    EXPECT_EQ(2u, second.nNumberOfLinks);
    EXPECT_EQ(first.dwVolumeSerialNumber, second.dwVolumeSerialNumber);
    EXPECT_EQ(first.nFileIndexHigh, second.nFileIndexHigh);
    EXPECT_EQ(first.nFileIndexLow, second.nFileIndexLow);
    DeleteFileW(link.c_str());
    DeleteFileW(file.c_str());
}

TEST(WindowsVolumeApi, AnswersTheVolumeQueries) {
    CWindowsVolumeApi api;
    wchar_t fileSystem[128] = {};
    ASSERT_TRUE(
        api.GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 128));
    EXPECT_NE(L'\0', fileSystem[0]);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(api.GetDiskFreeSpaceW(L"C:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                      &totalClusters));
    EXPECT_GT(sectorsPerCluster * bytesPerSector, 0u);
}
