// Path texts, existence tests, folder creation, file locks, identity texts, data folders and
// the machine probes.
#include "CpuUsageSampler.h"
#include "FileVersionInfo.h"
#include "OsVersionInfo.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "ShellFileOperation.h"
#include "SystemInfo.h"
#include "TestSupport.h"
#include "ToolsTable.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

CString Appended(const wchar_t* path, const wchar_t* name) {
    CString result(path);
    EXPECT_EQ(1, AppendPath(result, name));
    return result;
}

} // namespace

TEST(PathTexts, AppendPathPutsExactlyOneBackslash) {
    EXPECT_EQ(CString(L"C:\\dir\\name"), Appended(L"C:\\dir\\", L"\\name"));
    EXPECT_EQ(CString(L"C:\\dir\\name"), Appended(L"C:\\dir", L"name"));
    EXPECT_EQ(CString(L"name"), Appended(L"", L"name"));
    EXPECT_EQ(CString(L"C:\\dir"), Appended(L"C:\\dir", L""));
    EXPECT_EQ(CString(L"a\\b\\c"), JoinPaths(L"2", L"a", L"b", L"\\c"));
    EXPECT_EQ(CString(L"base"), JoinPaths(L"0", L"base"));
}

TEST(PathTexts, TrailingBackslashesAndFileSpecs) {
    CString path(L"C:\\");
    RemoveTrailingBackslash(path, true);
    EXPECT_EQ(CString(L"C:"), path); // three characters: longer than 2
    path = L"C:\\dir\\";
    RemoveTrailingBackslash(path, true);
    EXPECT_EQ(CString(L"C:\\dir"), path);
    path = L"\\";
    RemoveTrailingBackslash(path, false);
    EXPECT_TRUE(path.IsEmpty());
    path = L"C:\\dir\\file.txt";
    EXPECT_TRUE(RemoveFileSpec(path));
    EXPECT_EQ(CString(L"C:\\dir"), path);
    wchar_t* copy = nullptr;
    AllocStringCopy(L"menu", &copy);
    EXPECT_STREQ(L"menu", copy);
    EXPECT_EQ(L'\0', copy[5]);
    delete[] copy;
}

TEST(Existence, KindsAndTheEmptyPath) {
    TempFolder folder;
    const std::wstring file = folder / L"a.txt";
    WriteBytes(file, "x");
    EXPECT_EQ(-4, PathExists(L""));
    EXPECT_EQ(1, PathExists(file.c_str()));
    EXPECT_EQ(1, PathExists(folder.Path().c_str()));
    EXPECT_EQ(0, PathExists((folder / L"none").c_str()));
    EXPECT_EQ(1, GetPathKind(file.c_str()));
    EXPECT_EQ(0, GetPathKind(folder.Path().c_str()));
    EXPECT_EQ(-1, GetPathKind((folder / L"none").c_str()));
    EXPECT_EQ(0, GetPathKind(L""));
    EXPECT_EQ(1, IsExistingFolder((folder.Path() + L"\\").c_str()));
    EXPECT_EQ(0, IsExistingFolder(file.c_str()));
    EXPECT_EQ(0, IsExistingFolder(L"C:"));
}

// A drive's root is a folder to search like any other, when the drive is there.
TEST(Existence, DriveRootsAreExistingFolders) {
    TempFolder folder;
    const std::wstring root = folder.Path().substr(0, 3); // the drive of the temporary folder
    ASSERT_EQ(L":\\", root.substr(1));
    EXPECT_EQ(1, IsExistingFolder(root.c_str()));
    // A letter that leads nowhere.
    wchar_t missing[] = L"?:\\";
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter > L'D'; --letter)
        if ((drives & (1u << (letter - L'A'))) == 0) {
            missing[0] = letter;
            break;
        }
    ASSERT_NE(L'?', missing[0]);
    EXPECT_EQ(0, IsExistingFolder(missing));
}

TEST(Existence, CreateDirectoryTreeMakesEveryLevel) {
    TempFolder folder;
    const std::wstring deep = folder / L"a\\b\\c\\";
    EXPECT_EQ(1, CreateDirectoryTree(deep.c_str()));
    EXPECT_EQ(1, IsExistingFolder(deep.c_str()));
    EXPECT_EQ(1, CreateDirectoryTree(deep.c_str())); // already there
    // A folder that carries more attributes than the directory bit still counts as existing.
    SetFileAttributesW((folder / L"a").c_str(),
                       FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    EXPECT_EQ(1, CreateDirectoryTree((folder / L"a").c_str()));
    const std::wstring blocked = folder / L"file";
    WriteBytes(blocked, "x");
    EXPECT_EQ(0, CreateDirectoryTree((blocked + L"\\sub").c_str()));
}

TEST(Existence, ClassifyFileReference) {
    TempFolder folder;
    const std::wstring program = folder / L"tool.exe";
    WriteBytes(program, "MZ");
    EXPECT_EQ(1, ClassifyFileReference(program.c_str()));
    EXPECT_EQ(0, ClassifyFileReference(L""));
    EXPECT_EQ(0, ClassifyFileReference(L"no drive root here"));
    // A drive root, when Wine maps one, with a program path and switches.
    wchar_t roots[64] = {};
    if (GetLogicalDriveStringsW(63, roots) && program.rfind(L"\\\\?\\", 0) != 0) {
        EXPECT_EQ(1, ClassifyFileReference((program + L" /switch -x").c_str()));
        EXPECT_EQ(-1, ClassifyFileReference((folder / L"missing.exe").c_str()));
        EXPECT_EQ(0, ClassifyFileReference((folder / L"no-stop-here").c_str()));
    }
}

TEST(Existence, FileLocks) {
    TempFolder folder;
    const std::wstring path = folder / L"locked.txt";
    WriteBytes(path, "x");
    EXPECT_EQ(-1, IsFileLocked(folder.Path().c_str()));
    EXPECT_EQ(-1, IsFileLocked((folder / L"none").c_str()));
    EXPECT_EQ(0, IsFileLocked(path.c_str()));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(1, IsFileLocked(path.c_str()));
    CloseHandle(held);

    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, IsFileLocked(path.c_str()));
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY); // restored
}

namespace {

// Everything the file system keeps of a file besides its name.
struct FileState {
    FILE_BASIC_INFO basic{}; // attributes and the four times, the change time among them
    std::string bytes;
};

FileState StateOf(const std::wstring& path) {
    FileState state;
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(
        GetFileInformationByHandleEx(file, FileBasicInfo, &state.basic, sizeof state.basic));
    CloseHandle(file);
    state.bytes = ReadBytes(path);
    return state;
}

void ExpectSameState(const FileState& before, const FileState& after, const std::wstring& what) {
    const std::string name(what.begin(), what.end());
    EXPECT_EQ(before.basic.FileAttributes, after.basic.FileAttributes) << name;
    EXPECT_EQ(before.basic.CreationTime.QuadPart, after.basic.CreationTime.QuadPart) << name;
    EXPECT_EQ(before.basic.LastWriteTime.QuadPart, after.basic.LastWriteTime.QuadPart) << name;
    EXPECT_EQ(before.basic.ChangeTime.QuadPart, after.basic.ChangeTime.QuadPart) << name;
    EXPECT_EQ(before.bytes, after.bytes) << name;
}

// Waits (within 5 s) until the clock is well past the file's change time: a change of the
// file from then on gets a later time, which the file system keeps in coarse ticks.
void WaitPastChangeTime(const FileState& state) {
    constexpr LONGLONG kMargin = 500'000; // 50 ms in 100 ns units
    for (int waited = 0; waited < 5'000; waited += 10) {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        const LONGLONG current =
            static_cast<LONGLONG>(ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart);
        if (current > state.basic.ChangeTime.QuadPart + kMargin)
            return;
        Sleep(10);
    }
    ADD_FAILURE() << "the clock did not pass the file's change time";
}

} // namespace

// The test asks whether a file could be taken over; it must not change the file while asking:
// no attribute written (not even the same ones again, which moves the change time), no time,
// no byte.
TEST(Existence, FileLockTestLeavesTheFileAsItWas) {
    TempFolder folder;
    struct Case {
        const wchar_t* name;
        DWORD attributes;
    };
    const Case cases[] = {{L"plain.txt", FILE_ATTRIBUTE_NORMAL},
                          {L"readonly.txt", FILE_ATTRIBUTE_READONLY},
                          {L"hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
                          {L"both.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}};
    for (const Case& item : cases) {
        const std::wstring path = folder / item.name;
        WriteBytes(path, "contents of " + std::string(item.name, item.name + 4));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), item.attributes));
        const FileState before = StateOf(path);
        WaitPastChangeTime(before);
        EXPECT_EQ(0, IsFileLocked(path.c_str())) << item.name;
        ExpectSameState(before, StateOf(path), item.name);
    }
}

// Another program's handle, whatever it shares, makes the file locked; the file stays as it was
// and is free again once the handle is closed.
TEST(Existence, FileLockedWhateverTheOtherHandleShares) {
    TempFolder folder;
    const std::wstring path = folder / L"shared.txt";
    WriteBytes(path, "held");
    const DWORD shares[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE};
    for (const DWORD share : shares) {
        for (const DWORD access : {GENERIC_READ, GENERIC_READ | GENERIC_WRITE}) {
            const FileState before = StateOf(path);
            const HANDLE held =
                CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
            EXPECT_EQ(1, IsFileLocked(path.c_str())) << "share " << share << " access " << access;
            CloseHandle(held);
            EXPECT_EQ(0, IsFileLocked(path.c_str()));
            ExpectSameState(before, StateOf(path), L"shared.txt");
        }
    }
    // A read-only file held by another program is locked as well.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(1, IsFileLocked(path.c_str()));
    CloseHandle(held);
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Names the multibyte code page cannot hold are tested as well as any other.
TEST(Existence, FileLockTestOfANameBeyondTheCodePage) {
    TempFolder folder;
    const std::wstring path = folder / L"\u65E5\u672C\u8A9E-\u0436.txt";
    WriteBytes(path, "x");
    EXPECT_EQ(0, IsFileLocked(path.c_str()));
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(1, IsFileLocked(path.c_str()));
    CloseHandle(held);
}

TEST(ShellOperations, RecycleBinRefusesOverlongPaths) {
    CShellFileOperation operation;
    EXPECT_EQ(0x4654, operation.fFlags);
    std::wstring longPath(261, L'a');
    EXPECT_EQ(0, operation.DeleteToRecycleBin(longPath.c_str(), 261));
}

TEST(ShellOperations, MoveIntoFolderKeepsTheName) {
    TempFolder folder;
    const std::wstring source = folder / L"moved.txt";
    WriteBytes(source, "content");
    CreateDirectoryW((folder / L"target").c_str(), nullptr);
    EXPECT_EQ(1, ShellMoveIntoFolder(source.c_str(), (folder / L"target").c_str()));
    EXPECT_EQ("content", ReadBytes(folder / L"target\\moved.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(source.c_str()));
}

TEST(FileVersions, FilesWithoutVersionGiveEmptyText) {
    TempFolder folder;
    WriteBytes(folder / L"plain.txt", "x");
    FileVersionInfo info;
    EXPECT_EQ(0, info.Load((folder / L"plain.txt").c_str()));
    EXPECT_TRUE(info.GetFileVersionText().IsEmpty());
    wchar_t kernel[MAX_PATH];
    GetSystemDirectoryW(kernel, MAX_PATH);
    wcscat(kernel, L"\\kernel32.dll");
    ASSERT_EQ(1, info.Load(kernel));
    const CString text = info.GetFileVersionText();
    EXPECT_EQ(-1, text.Find(L','));
    CString dots = text;
    EXPECT_EQ(3, dots.Remove(L'.'));
}

TEST(FileVersions, VersionTextOfAPath) {
    TempFolder folder;
    EXPECT_EQ(CString(L"0"), GetFileVersionText((folder / L"missing.dll").c_str()));
    WriteBytes(folder / L"plain.txt", "x");
    EXPECT_TRUE(GetFileVersionText((folder / L"plain.txt").c_str()).IsEmpty());
    wchar_t kernel[MAX_PATH];
    GetSystemDirectoryW(kernel, MAX_PATH);
    wcscat(kernel, L"\\kernel32.dll");
    FileVersionInfo info;
    ASSERT_EQ(1, info.Load(kernel));
    EXPECT_EQ(info.GetFileVersionText(), GetFileVersionText(kernel));
}

TEST(Identity, TextsAndProductKey) {
    EXPECT_EQ(CString(L"Halvenor\\Xarn"), GetCompanyProductPath());
    CString key;
    BuildProductRegistryKey(key);
    EXPECT_EQ(CString(L"Software\\Halvenor\\Xarn"), key);
    EXPECT_STREQ(L"Software\\Halvenor\\Xarn", GetProductRegistryKey());
    EXPECT_EQ(CString(L"Stellmark"), GetProductName());
    EXPECT_EQ(CString(L"Halvenor Inc."), GetCompanyName());
    CString value;
    GetCleanerScheduleValueName(value);
    EXPECT_EQ(0, value.Find(L"Xarn-"));
    EXPECT_STREQ(L"Stellmark.ini", GetToolIniName(kMainProgramTool));
    EXPECT_STREQ(L"Stellmark", GetToolTitle(kMainProgramTool));
    EXPECT_EQ(1147, GetToolIconId(kMainProgramTool));
    EXPECT_EQ(-1, GetToolIconId(0));
    EXPECT_STREQ(L"Xarn.exe", GetToolExeName(1));
}

TEST(Identity, DataFoldersAreMadeOnDemand) {
    CString folder;
    ASSERT_TRUE(GetCommonDataFolder(folder));
    EXPECT_NE(-1, folder.Find(L"Halvenor\\Xarn"));
    const CString sub = L"xarn-test-" + CString(std::to_wstring(GetCurrentProcessId()).c_str());
    CString userFolder = sub;
    ASSERT_TRUE(GetUserDataFolder(userFolder));
    EXPECT_EQ(1, IsExistingFolder(userFolder));
    EXPECT_EQ(userFolder.GetLength() - sub.GetLength(), userFolder.Find(sub));
    RemoveDirectoryW(userFolder);
    CString withBackslash = L"a\\b";
    ASSERT_TRUE(GetUserDataFolder(withBackslash));
    EXPECT_EQ(-1, withBackslash.Find(L"a\\b")); // the product folder itself
}

TEST(Identity, ModuleFolderOfALoadedModule) {
    CString folder;
    GetModuleFolder(GetOwnModuleHandle(), folder);
    EXPECT_FALSE(folder.IsEmpty());
    CString exe;
    GetExeFolder(exe);
    EXPECT_EQ(L'\\', exe[exe.GetLength() - 1]);
}

TEST(SystemInfo, VersionPredicates) {
    COsVersionInfo version;
    version.info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    version.info.dwMajorVersion = 6;
    version.info.dwMinorVersion = 1;
    EXPECT_FALSE(version.IsWindowsVista());
    EXPECT_FALSE(version.IsWindowsVistaFamily());
    EXPECT_TRUE(version.IsWindowsXPOrLater());
    EXPECT_TRUE(version.IsVersionOrLater(6, 0));
    EXPECT_FALSE(version.IsVersionOrLater(6, 2));
    version.info.dwPlatformId = 1;
    version.info.dwMajorVersion = 4;
    version.info.dwMinorVersion = 90;
    EXPECT_TRUE(version.IsWindowsMe());
    EXPECT_TRUE(version.IsWindows98OrLater());
    EXPECT_TRUE(version.IsWindows9xFamily());
    EXPECT_FALSE(version.IsWindowsXPOrLater());
    COsVersionInfo copy;
    copy = version;
    EXPECT_TRUE(copy.IsWindowsMe());
    EXPECT_EQ(COsVersionInfo().info.dwMajorVersion, GetOsMajorVersion());
}

TEST(SystemInfo, SizeInKilobytes) {
    setlocale(LC_ALL, "C");
    wchar_t text[32];
    FormatSizeKB(512, text, 32);
    EXPECT_STREQ(L"0.500 KB", text);
    FormatSizeKB(1024, text, 32);
    EXPECT_STREQ(L"1.0 KB", text);
    FormatSizeKB(1048576, text, 32);
    EXPECT_STREQ(L"1024.0 KB", text);
    EXPECT_EQ(1, FormatSizeKB(1048576, text, 4));
    EXPECT_EQ(3u, wcslen(text));
}

TEST(SystemInfo, ProcessProbes) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    EXPECT_EQ(wow64 != FALSE, IsWow64Cached());
    CString folder;
    GetSystemWow64Folder(folder);
    EXPECT_EQ(wow64 == FALSE, folder.IsEmpty());
    EXPECT_TRUE(IsUserAdmin()); // Wine's user is an administrator
    CString date;
    FormatCurrentDateTime(date);
    EXPECT_NE(-1, date.Find(L". "));
    CString share;
    double percentage = -1;
    GetDrivesSpaceInfo(share, percentage, true);
    EXPECT_GE(percentage, 0.0);
    EXPECT_EQ(L'%', share[share.GetLength() - 1]);
}

TEST(SystemInfo, CpuUsageIsSampledAtMostEvery200Ms) {
    CpuUsageSampler sampler;
    const WORD first = sampler.GetCpuUsage();
    EXPECT_EQ(0, first);
    EXPECT_EQ(first, sampler.GetCpuUsage());
    Sleep(250);
    EXPECT_LE(sampler.GetCpuUsage(), 100);
}
