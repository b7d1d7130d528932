// The junk deletion on generated trees: direct and Recycle Bin removal, the batches, empty
// parent folders, stopping, locked files and links put in place after the scan.
#include <algorithm>
#include <set>

#include "JunkTestSupport.h"
#include "SafetyTestSupport.h"
#include "RecycleBatch.h"
#include "AppState.h"

using namespace junktest;

namespace {

const std::wstring kRoot = L"C:\\xarn-junk-delete";
const std::wstring kLocation = kRoot + L"\\loc";

std::vector<int> g_operationSizes;

int WINAPI CountingShellOperation(SHFILEOPSTRUCTW* operation) {
    int paths = 0;
    for (const wchar_t* path = operation->pFrom; *path; path += wcslen(path) + 1)
        ++paths;
    g_operationSizes.push_back(paths);
    return SHFileOperationW(operation);
}

// Checks that every list stays inside the batch's limit, and counts its paths.
int WINAPI MeasuringShellOperation(SHFILEOPSTRUCTW* operation) {
    size_t chars = 0;
    int paths = 0;
    for (const wchar_t* path = operation->pFrom; *path; path += wcslen(path) + 1) {
        chars += wcslen(path) + 1;
        ++paths;
    }
    EXPECT_LE((chars + 1) * sizeof(wchar_t), CRecycleBatch::kLimitBytes);
    g_operationSizes.push_back(paths);
    return 0;
}

class JunkDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strAppTitle = L"XarnJunkDeleteTest";
        RemoveTree(kRoot);
        MakeFolders(kLocation);
        finder_.LoadMasks();
        finder_.LoadIgnoreList();
        g_operationSizes.clear();
        CRecycleBatch::SetShellOperation(&CountingShellOperation);
    }
    void TearDown() override {
        CRecycleBatch::SetShellOperation(nullptr);
        RemoveTree(kRoot);
    }

    void ScanLocation(bool direct, bool emptyFolders = false) {
        JunkScanOptions options;
        options.skipSystem = FALSE;
        options.directRemove = direct;
        options.emptyFolders = emptyFolders;
        finder_.SetOptions(options);
        finder_.SetLocations((kLocation + L";").c_str());
        ASSERT_TRUE(RunScan(finder_, recorder_));
    }
    bool Clean() { return RunDeletion(finder_, recorder_, indices_); }
    std::vector<LPARAM> Percents() const {
        std::vector<LPARAM> percents;
        for (const auto& record : recorder_.Of(JunkMessages().deleteOutput))
            percents.push_back(record.percent);
        return percents;
    }
    // Every listed item is on the disk and every found file still on the disk is listed.
    void ExpectListEqualsDisk(const std::vector<std::wstring>& foundBefore) {
        const auto listed = FoundPaths(finder_);
        const std::set<std::wstring> listedSet(listed.begin(), listed.end());
        for (const std::wstring& path : foundBefore)
            EXPECT_EQ(Exists(path), listedSet.count(path) == 1)
                << std::string(path.begin(), path.end());
    }

    MessageRecorder recorder_;
    CJunkFileFinder finder_;
    CIndexArray indices_;
};

TEST_F(JunkDeleteTest, DirectRemovalOfThreeFilesReportsEachAndFinishesWithTheResult) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"})
        MakeFile(kLocation + L"\\" + name);
    ScanLocation(true);
    ASSERT_EQ(finder_.GetFoundCount(), 3);
    ASSERT_TRUE(Clean());
    // The first and the last item are always told, the others at the page's pace.
    const auto percents = Percents();
    ASSERT_GE(percents.size(), 2u);
    ASSERT_LE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 16);
    EXPECT_EQ(percents.back(), 50);
    if (percents.size() == 3) {
        EXPECT_EQ(percents[1], 33);
    }
    const auto finished = recorder_.Of(JunkMessages().deleteFinished);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].value, 1u);
    EXPECT_EQ(finder_.GetFoundCount(), 0);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"})
        EXPECT_FALSE(Exists(kLocation + L"\\" + name));
    EXPECT_TRUE(g_operationSizes.empty());
}

TEST_F(JunkDeleteTest, SixHundredFilesGoToTheRecycleBinInTwoShellOperations) {
    for (int i = 0; i < 600; ++i)
        MakeFile(kLocation + L"\\file" + std::to_wstring(i) + L".tmp", 1);
    ScanLocation(false);
    ASSERT_EQ(finder_.GetFoundCount(), 600);
    ASSERT_TRUE(Clean());
    EXPECT_EQ(g_operationSizes, (std::vector<int>{512, 88}));
    EXPECT_EQ(finder_.GetFoundCount(), 0);
    // Nothing was left for the one-by-one pass after the batches.
    const auto records = recorder_.Of(JunkMessages().deleteOutput);
    ASSERT_FALSE(records.empty());
    EXPECT_TRUE(records.back().path.empty());
    EXPECT_EQ(records.back().percent, 90);
    // Progress at the page's pace: the first item at once, then never two reports per item.
    EXPECT_EQ(records.front().percent, 0);
    EXPECT_LE(records.size(), 600u + 1);
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                               [](const auto& a, const auto& b) { return a.percent < b.percent; }));
    for (int i = 0; i < 600; i += 97)
        EXPECT_FALSE(Exists(kLocation + L"\\file" + std::to_wstring(i) + L".tmp"));
}

TEST_F(JunkDeleteTest, AStopLeavesTheFoundListEqualToTheDisk) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct" : "recycle bin");
        for (int i = 0; i < 200; ++i)
            MakeFile(kLocation + L"\\f" + std::to_wstring(i) + L".tmp", 1);
        ScanLocation(direct, true);
        const auto foundBefore = FoundPaths(finder_);
        ASSERT_EQ(foundBefore.size(), 200u);
        int progress = 0;
        recorder_.onRecord = [&](const MessageRecorder::Record& record) {
            // The first item's report comes at once; the stop is seen before the next item.
            if (record.message == JunkMessages().deleteOutput && ++progress == 1)
                finder_.RequestDeleteStop();
        };
        ASSERT_TRUE(Clean());
        recorder_.onRecord = nullptr;
        ExpectListEqualsDisk(foundBefore);
        EXPECT_GT(finder_.GetFoundCount(), 0);
        EXPECT_LT(finder_.GetFoundCount(), 200);
        // No folder work after a stop: the location keeps the files left in it.
        EXPECT_TRUE(Exists(kLocation));
        if (!direct) {
            EXPECT_EQ(g_operationSizes.size(), 1u);
        }
        RemoveTree(kLocation);
        MakeFolders(kLocation);
    }
}

TEST_F(JunkDeleteTest, EmptiedParentFoldersGoButTheLocationStays) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct" : "recycle bin");
        MakeFile(kLocation + L"\\a\\x.tmp");
        MakeFile(kLocation + L"\\a\\b\\only.tmp");
        MakeFolders(kLocation + L"\\e");
        ScanLocation(direct, true);
        ASSERT_EQ(finder_.GetFoundCount(), 3);
        for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
            finder_.GetFoundItem(i)->checked = true; // the empty folder too
        ASSERT_TRUE(Clean());
        EXPECT_FALSE(Exists(kLocation + L"\\a\\b"));
        EXPECT_FALSE(Exists(kLocation + L"\\a"));
        EXPECT_FALSE(Exists(kLocation + L"\\e"));
        EXPECT_TRUE(Exists(kLocation));
        EXPECT_EQ(finder_.GetFoundCount(), 0);
    }
}

TEST_F(JunkDeleteTest, AFileThatSurvivesKeepsItsAttributesAndItsPlaceInTheList) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct" : "recycle bin");
        const std::wstring held = kLocation + L"\\held.txt";
        MakeFile(held, 10, 24.0 * 30, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        MakeFile(kLocation + L"\\free.txt");
        const DWORD attributes = GetFileAttributesW(held.c_str());
        ScanLocation(direct);
        ASSERT_EQ(finder_.GetFoundCount(), 2);
        // The last item processed is the first in the list.
        const bool heldLast = finder_.GetFoundItem(0)->path == held.c_str();
        KernelHandle lock(
            CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        const bool finished = Clean();
        lock.Reset();
        ASSERT_TRUE(finished);
        EXPECT_TRUE(Exists(held));
        EXPECT_EQ(GetFileAttributesW(held.c_str()), attributes);
        ASSERT_EQ(finder_.GetFoundCount(), 1);
        EXPECT_EQ(finder_.GetFoundItem(0)->path, held.c_str());
        EXPECT_FALSE(Exists(kLocation + L"\\free.txt"));
        if (direct) {
            EXPECT_EQ(recorder_.Of(JunkMessages().deleteFinished)[0].value, heldLast ? 0u : 1u)
                << "the result of the last direct deletion";
        }
        SetFileAttributesW(held.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(held.c_str());
    }
}

TEST_F(JunkDeleteTest, AFolderTurnedIntoALinkAfterTheScanIsNotDeletedThrough) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct" : "recycle bin");
        const std::wstring outside = kRoot + L"\\outside";
        MakeFile(kLocation + L"\\sub\\victim.tmp");
        ScanLocation(direct, true);
        ASSERT_EQ(finder_.GetFoundCount(), 1);
        MakeFolders(outside);
        ASSERT_TRUE(MoveFileW((kLocation + L"\\sub").c_str(), (outside + L"\\sub").c_str()));
        ASSERT_TRUE(MakeSymbolicLink(kLocation + L"\\sub", outside + L"\\sub", true));
        ASSERT_TRUE(Clean());
        EXPECT_TRUE(Exists(outside + L"\\sub\\victim.tmp"));
        EXPECT_EQ(finder_.GetFoundCount(), 1);
        RemoveTree(kLocation);
        RemoveTree(outside);
        MakeFolders(kLocation);
    }
}

TEST_F(JunkDeleteTest, IndicesTheListNoLongerHoldsAreSkipped) {
    MakeFile(kLocation + L"\\one.txt");
    ScanLocation(true);
    indices_.RemoveAll();
    indices_.Add(0);
    indices_.Add(5);
    indices_.Add(-1);
    finder_.SetNotifyWindow(recorder_.Window());
    ASSERT_TRUE(finder_.StartDeletion(&indices_));
    ASSERT_TRUE(recorder_.WaitFor(JunkMessages().deleteFinished));
    finder_.WaitForWorker();
    EXPECT_FALSE(Exists(kLocation + L"\\one.txt"));
    EXPECT_EQ(finder_.GetFoundCount(), 0);
}

// Moves only the second path of each operation out of its place (to a name beside it), as a
// shell that could take only some of the items would.
int WINAPI SecondPathOnlyShellOperation(SHFILEOPSTRUCTW* operation) {
    const wchar_t* second = operation->pFrom + wcslen(operation->pFrom) + 1;
    if (*second) {
        EXPECT_TRUE(MoveFileW(second, (std::wstring(second) + L".taken").c_str()));
    }
    return 0;
}

TEST(RecycleBatchTest, OnlyTheItemsTheOperationTookAreToldAsGone) {
    const std::wstring folder = L"C:\\xarn-junk-batch-gone";
    RemoveTree(folder);
    for (int i = 0; i < 3; ++i)
        WriteFileBytes(folder + L"\\f" + std::to_wstring(i) + L".tmp", "junk " + std::to_string(i));
    CRecycleBatch::SetShellOperation(&SecondPathOnlyShellOperation);
    {
        CRecycleBatch batch(nullptr);
        for (int i = 0; i < 3; ++i) {
            CHeldItem item;
            ASSERT_EQ(item.Open((folder + L"\\f" + std::to_wstring(i) + L".tmp").c_str(),
                                CHeldItem::Purpose::kRecycle),
                      ItemOutcome::kDone);
            EXPECT_EQ(batch.Add(std::move(item), 10u + i), ItemOutcome::kDone);
        }
        EXPECT_TRUE(batch.GoneTags().empty()) << "nothing went before the operation";
        batch.Flush();
        EXPECT_EQ(batch.GoneTags(), (std::vector<size_t>{11u}));
    }
    CRecycleBatch::SetShellOperation(nullptr);
    EXPECT_EQ(ReadAllBytes(folder + L"\\f0.tmp"), "junk 0");
    EXPECT_EQ(ReadAllBytes(folder + L"\\f1.tmp.taken"), "junk 1");
    EXPECT_EQ(ReadAllBytes(folder + L"\\f2.tmp"), "junk 2");
    RemoveTree(folder);
}

TEST_F(JunkDeleteTest, WhatTheShellLeftStaysListedAndWhatItTookLeavesTheList) {
    // Every operation, the batch's and each retry's, takes only its second path: the batch
    // takes one item, and the retries one by one take nothing.
    CRecycleBatch::SetShellOperation(&SecondPathOnlyShellOperation);
    for (int i = 0; i < 4; ++i)
        MakeFile(kLocation + L"\\f" + std::to_wstring(i) + L".tmp", 1);
    ScanLocation(false);
    ASSERT_EQ(finder_.GetFoundCount(), 4);
    const auto foundBefore = FoundPaths(finder_);
    ASSERT_TRUE(Clean());
    CRecycleBatch::SetShellOperation(nullptr);
    EXPECT_EQ(finder_.GetFoundCount(), 3);
    ExpectListEqualsDisk(foundBefore);
    EXPECT_EQ(finder_.GetChangedCount(), 0);
}

TEST(RecycleBatchTest, ABatchWithoutRoomGoesOutBeforeTheNextPath) {
    // Paths of 259 characters: 511 of them with their ends fill the limit, the 512th goes into
    // the next batch. The operation is watched only: every file stays.
    const std::wstring folder = L"C:\\xarn-junk-batch";
    RemoveTree(folder);
    MakeFolders(folder);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 600; ++i) {
        std::wstring name = std::to_wstring(i) + L"-";
        name += std::wstring(259 - folder.size() - 1 - name.size() - 4, L'x') + L".tmp";
        paths.push_back(folder + L"\\" + name);
        ASSERT_EQ(paths.back().size(), 259u);
        WriteFileBytes(paths.back(), "junk " + std::to_string(i));
    }
    const TreeSnapshot before = TakeSnapshot(folder);
    g_operationSizes.clear();
    CRecycleBatch::SetShellOperation(&MeasuringShellOperation);
    {
        CRecycleBatch batch(nullptr);
        for (const std::wstring& path : paths) {
            CHeldItem item;
            ASSERT_EQ(item.Open(path.c_str(), CHeldItem::Purpose::kRecycle), ItemOutcome::kDone);
            EXPECT_EQ(batch.Add(std::move(item)), ItemOutcome::kDone);
        }
        batch.Flush();
        EXPECT_EQ(batch.GetCount(), 0);
    }
    CRecycleBatch::SetShellOperation(nullptr);
    EXPECT_EQ(g_operationSizes, (std::vector<int>{511, 89}));
    ExpectOnlyRemoved(before, TakeSnapshot(folder));
    RemoveTree(folder);
}

} // namespace
