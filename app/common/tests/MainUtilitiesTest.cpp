#include "Drive.h"
#include "MainUtilities.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring SizeText(ULONGLONG bytes) {
    return std::wstring(ByteSizeText(bytes).GetString());
}

TEST(ByteSize, UnitsByThreshold) {
    EXPECT_EQ(L"0 B", SizeText(0));
    EXPECT_EQ(L"1023 B", SizeText(1023));
    EXPECT_EQ(L"1.0 KB", SizeText(1024));
    EXPECT_EQ(L"1024.0 KB", SizeText(1'048'575));
    EXPECT_EQ(L"1.0 MB", SizeText(1'048'576));
    EXPECT_EQ(L"1.0 GB", SizeText(1'073'741'824));
    EXPECT_EQ(L"931.5 GB", SizeText(1'000'204'886'016ull));
    EXPECT_EQ(L"1.0 TB", SizeText(1ull << 40));
    EXPECT_EQ(L"16777216.0 TB", SizeText(~0ull));
}

TEST(ByteSize, ShortBufferIsTerminated) {
    wchar_t buffer[4];
    EXPECT_EQ(1, FormatByteSize(1'073'741'824, buffer, 4));
    EXPECT_EQ(L'\0', buffer[3]);
}

TEST(GroupedNumber, UsesDigitGrouping) {
    const std::wstring text(GroupedNumberText(1'234'567).GetString());
    EXPECT_EQ(9u, text.size()) << text;
    EXPECT_EQ(L'1', text.front());
    EXPECT_EQ(L'7', text.back());
}

TEST(SplitPath, PartsAndEmptyPath) {
    SplitPathRecord record{};
    SplitPathInto(record, L"C:\\Data\\Tom & Jerry.avi");
    EXPECT_STREQ(L"C:", record.drive);
    EXPECT_STREQ(L"\\Data\\", record.directory);
    EXPECT_STREQ(L"Tom & Jerry", record.fileName);
    EXPECT_STREQ(L".avi", record.extension);
    SplitPathInto(record, L"");
    EXPECT_STREQ(L"Tom & Jerry", record.fileName) << "an empty path leaves the record alone";
}

TEST(SplitPath, OverlongPathIsCut) {
    SplitPathRecord record{};
    const std::wstring longPath = L"C:\\" + std::wstring(600, L'a');
    SplitPathInto(record, longPath.c_str());
    EXPECT_EQ(519u, wcslen(record.path));
}

TEST(DataSubfolder, OneBackslashAndCreated) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp)); // ends in a backslash
    const CString folder = MakeDataSubfolder(temp, L"xarn-core-subfolder");
    EXPECT_EQ(std::wstring(temp) + L"xarn-core-subfolder\\", std::wstring(folder.GetString()));
    const DWORD attributes = GetFileAttributesW(folder);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(RemoveDirectoryW(folder));
}

// The prefix's drives (the host's root drive is not mapped in test prefixes).
TEST(DriveList, FixedDrivesInLetterOrderWithSizes) {
    const DriveList drives = BuildDriveList();
    ASSERT_FALSE(drives.empty());
    wchar_t previous = L'B';
    bool sawC = false;
    for (const auto& drive : drives) {
        const CString& root = drive->RootPath();
        ASSERT_EQ(3, root.GetLength());
        EXPECT_GT(root[0], previous);
        previous = root[0];
        EXPECT_EQ(L'\\', root[2]);
        const std::wstring name(drive->DisplayName().GetString());
        EXPECT_EQ(L" (" + std::wstring(root.GetString(), 2) + L")", name.substr(name.size() - 5));
        EXPECT_GT(drive->TotalBytes(), 0u);
        EXPECT_LE(drive->FreeBytes(), drive->TotalBytes());
        EXPECT_FALSE(drive->FileSystem().IsEmpty());
        sawC = sawC || root[0] == L'C';
    }
    EXPECT_TRUE(sawC);
}

} // namespace
