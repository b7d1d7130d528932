// File records: sorted insertion, folder walks with progress and cancel, and the resumable
// content checks.
#include "GlobalFileInfoArray.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

CGlobalFileInfo WithSize(ULONGLONG size, const wchar_t* path = L"") {
    CGlobalFileInfo record;
    record.size = size;
    record.path = path;
    return record;
}

} // namespace

TEST(FileRecords, AddSortedPutsNewRecordsBeforeEqualOnes) {
    CGlobalFileInfoArray array;
    for (ULONGLONG size : {10, 20, 30}) {
        CGlobalFileInfo record = WithSize(size);
        array.AddSorted(record, kSortSizeUp);
    }
    CGlobalFileInfo twenty = WithSize(20, L"new");
    EXPECT_EQ(1, array.AddSorted(twenty, kSortSizeUp));
    EXPECT_EQ(CString(L"new"), array[1].path);

    CGlobalFileInfoArray down;
    for (const wchar_t* path : {L"b", L"a", L"c"}) {
        CGlobalFileInfo record = WithSize(0, path);
        down.AddSorted(record, kSortPathDown);
    }
    EXPECT_EQ(CString(L"c"), down[0].path);
    EXPECT_EQ(CString(L"a"), down[2].path);
    CGlobalFileInfo last = WithSize(0, L"0");
    EXPECT_EQ(3, down.AddSorted(last, kSortNone));
}

TEST(FileRecords, FillFromPathSplitsThePath) {
    TempFolder folder;
    const std::wstring path = folder / L"name.ext";
    WriteBytes(path, "12345");
    CGlobalFileInfoArray array;
    const INT_PTR at = array.AddFile(path.c_str(), kSortNone);
    CGlobalFileInfo& record = array[at];
    EXPECT_EQ(5u, record.GetSize());
    EXPECT_EQ(CString(L"name"), record.GetTitle());
    EXPECT_EQ(CString(L".ext"), record.GetExtension());
    EXPECT_EQ(CString(L"name.ext"), record.GetFileName());
    EXPECT_EQ(L'\\', record.GetFolder()[record.GetFolder().GetLength() - 1]);
    EXPECT_EQ(0, record.IsDirectory());
    EXPECT_GT(record.GetLastWriteTime().GetTime(), 0);

    // A path that names nothing still adds a fresh record.
    const INT_PTR missing = array.AddFile((folder / L"none").c_str(), kSortNone);
    EXPECT_TRUE(array[missing].path.IsEmpty());
    EXPECT_EQ(0xFFFFFFFFu, array[missing].attributes);
}

TEST(FolderWalk, SubfoldersFirstWithProgress) {
    TempFolder folder;
    CreateDirectoryW((folder / L"sub").c_str(), nullptr);
    WriteBytes(folder / L"sub\\inner.txt", "x");
    WriteBytes(folder / L"top1.txt", "x");
    WriteBytes(folder / L"top2.log", "x");
    CGlobalFileInfoArray array;
    volatile LONG progress = 0;
    const int added = array.EnumFolder(FolderWalkRequest{
        (folder.Path() + L"\\").c_str(), L"*.txt", TRUE, kSortNone, TRUE, nullptr, &progress});
    EXPECT_EQ(3, added); // the subfolder, its file, and top1.txt (folders ignore the mask)
    EXPECT_EQ(3, progress);
    ASSERT_EQ(3, array.GetSize());
    EXPECT_TRUE(array[0].IsDirectory());
    EXPECT_EQ(CString(L"inner.txt"), array[1].GetFileName());
    EXPECT_EQ(CString(L"top1.txt"), array[2].GetFileName());

    CGlobalFileInfoArray flat;
    EXPECT_EQ(2, flat.EnumFolder(FolderWalkRequest{(folder.Path() + L"\\").c_str(), L"*", FALSE,
                                                   kSortNone, FALSE, nullptr, nullptr}));
}

TEST(FolderWalk, CancelStopsTheWalk) {
    TempFolder folder;
    for (int i = 0; i < 50; ++i)
        WriteBytes(folder / (L"f" + std::to_wstring(i)), "x");
    CGlobalFileInfoArray array;
    volatile LONG cancel = 1;
    EXPECT_EQ(0, array.EnumFolder(FolderWalkRequest{(folder.Path() + L"\\").c_str(), L"*", TRUE,
                                                    kSortNone, TRUE, &cancel, nullptr}));

    // Cancelled from another thread while it walks.
    for (int i = 0; i < 20; ++i) {
        const std::wstring sub = folder / (L"d" + std::to_wstring(i));
        CreateDirectoryW(sub.c_str(), nullptr);
        for (int j = 0; j < 20; ++j)
            WriteBytes(sub + L"\\g" + std::to_wstring(j), "x");
    }
    // The walk may outrun a canceller that a loaded machine schedules late: a few tries, of
    // which one must stop early; every one counts exactly what it added.
    constexpr int kWholeTree = 470;
    bool stoppedEarly = false;
    for (int attempt = 0; attempt < 5 && !stoppedEarly; ++attempt) {
        cancel = 0;
        volatile LONG progress = 0;
        std::thread canceller([&] {
            while (progress < 30)
                Sleep(0);
            InterlockedExchange(&cancel, 1);
        });
        CGlobalFileInfoArray walked;
        const int added = walked.EnumFolder(FolderWalkRequest{
            (folder.Path() + L"\\").c_str(), L"*", TRUE, kSortNone, TRUE, &cancel, &progress});
        canceller.join();
        EXPECT_GE(added, 30);
        EXPECT_LE(added, kWholeTree);
        EXPECT_EQ(added, static_cast<int>(progress));
        stoppedEarly = added < kWholeTree;
    }
    EXPECT_TRUE(stoppedEarly);
}

TEST(ContentChecks, SumRoundsTheLimitUpToWholeWords) {
    TempFolder folder;
    std::string data(1000, '\0');
    data[0] = 1;
    data[4] = 2;
    data[8] = 100; // beyond the rounded limit
    WriteBytes(folder / L"sum.bin", data);
    CGlobalFileInfo record;
    record.FillFromPath((folder / L"sum.bin").c_str());
    volatile LONG progress = 0;
    EXPECT_EQ(3u, record.ComputeContentSum(5, true, nullptr, &progress));
    EXPECT_EQ(8, progress);
    EXPECT_EQ(103u, record.ComputeContentSum(0, false, nullptr, nullptr)); // resumed
    EXPECT_EQ(103u, record.ComputeContentSum(0, true, nullptr, nullptr));
}

TEST(ContentChecks, CrcStepsOncePerWordAndStaysStable) {
    TempFolder folder;
    WriteBytes(folder / L"crc.bin", std::string("\x11\x22\x33\x44\x55\x66\x77", 7));
    CGlobalFileInfo record;
    record.FillFromPath((folder / L"crc.bin").c_str());
    // Bytes 0 and 4 are what the two steps take in.
    auto step = [](DWORD state, BYTE byte) {
        state ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            state = (state & 1) ? (state >> 1) ^ 0xEDB88320u : state >> 1;
        return state;
    };
    const DWORD first = step(0xFFFFFFFF, 0x11);
    const DWORD both = step(first, 0x55);
    EXPECT_EQ(first, record.ComputeContentCrc(4, true, nullptr, nullptr));  // still running
    EXPECT_EQ(~both, record.ComputeContentCrc(0, false, nullptr, nullptr)); // resumed to the end
    EXPECT_EQ(~both, record.ComputeContentCrc(0, false, nullptr, nullptr)); // asked again
}

TEST(ContentChecks, UnreadableFilesLeaveTheValues) {
    CGlobalFileInfo record;
    record.path = L"C:\\no\\such\\file";
    record.size = 100;
    EXPECT_EQ(0u, record.ComputeContentSum(0, true, nullptr, nullptr));
    EXPECT_EQ(0xFFFFFFFFu, record.ComputeContentCrc(0, true, nullptr, nullptr));
}
