// The junk cleaner against a disk that changes between the scan and the clean, and against
// damaged stored lists, driven as the pages drive it: scan, change the tree, clean (for good and
// to the Recycle Bin). Every test compares every file's bytes before and after.
#include <shlobj.h>

#include <set>

#include "HeldItem.h"
#include "JunkTestSupport.h"
#include "SafetyTestSupport.h"
#include "RecycleBatch.h"
#include "AppLocations.h"
#include "AppState.h"
#include "LiteralPath.h"
#include "ProductIdentity.h"
#include "Registry.h"

using namespace junktest;

namespace {

const std::wstring kRoot = L"C:\\xarn-junk-safety";
const std::wstring kLocation = kRoot + L"\\loc";
const std::wstring kDriveFolder = L"C:\\xarn-junk-safety-drive";

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK
               ? std::wstring(path)
               : std::wstring();
}

class JunkSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strAppTitle = L"XarnJunkSafetyTest";
        static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey()));
        static_cast<void>(
            CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::IgnoreListKey()));
        RemoveTree(kRoot);
        MakeFolders(kLocation);
        finder_.LoadMasks();
        finder_.LoadIgnoreList();
    }
    void TearDown() override { RemoveTree(kRoot); }

    // Scans `locations` ("X;" or "path;") as the scanning page does, every item then checked.
    void Scan(const std::wstring& locations, bool emptyFolders = false) {
        JunkScanOptions options;
        options.skipSystem = FALSE;
        options.emptyFolders = emptyFolders;
        finder_.SetOptions(options);
        finder_.SetLocations(locations.c_str());
        ASSERT_TRUE(RunScan(finder_, recorder_));
        for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
            finder_.GetFoundItem(i)->checked = true;
    }
    // Cleans every checked item as the clean-up page does.
    void Clean(bool direct) {
        JunkScanOptions options = finder_.GetOptions();
        options.directRemove = direct;
        finder_.SetOptions(options);
        ASSERT_TRUE(RunDeletion(finder_, recorder_, indices_));
    }
    CJunkItem* Item(const std::wstring& path) {
        for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
            if (SameFileName(finder_.GetFoundItem(i)->path, path.c_str()))
                return finder_.GetFoundItem(i);
        return nullptr;
    }
    std::set<std::wstring> FoundNames() {
        std::set<std::wstring> names;
        for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
            names.insert(finder_.GetFoundItem(i)->GetFileName().GetString());
        return names;
    }
    void Reset() {
        finder_.ClearFoundItems();
        RemoveTree(kLocation);
        MakeFolders(kLocation);
    }

    MessageRecorder recorder_;
    CJunkFileFinder finder_;
    CIndexArray indices_;
};

const char* ModeName(bool direct) {
    return direct ? "for good" : "to the Recycle Bin";
}

TEST_F(JunkSafetyTest, AFileRewrittenOrGrownAfterTheScanIsKept) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        WriteFileBytes(kLocation + L"\\same-size.tmp", "scanned bytes");
        WriteFileBytes(kLocation + L"\\grown.tmp", "scanned");
        WriteFileBytes(kLocation + L"\\old-time.tmp", "scanned bytes");
        WriteFileBytes(kLocation + L"\\untouched.tmp", "junk indeed");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 4);

        // Other bytes of the same size; more bytes; other bytes with the old time put back.
        FILETIME written{};
        {
            KernelHandle file(CreateFileW(LiteralOf(kLocation + L"\\old-time.tmp").c_str(),
                                          GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
            ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
        }
        WriteFileBytes(kLocation + L"\\same-size.tmp", "USER'S BYTES!");
        WriteFileBytes(kLocation + L"\\grown.tmp", "scanned, then the user's more");
        WriteFileBytes(kLocation + L"\\old-time.tmp", "user's bytes!");
        {
            KernelHandle file(CreateFileW(LiteralOf(kLocation + L"\\old-time.tmp").c_str(),
                                          FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
            ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
        }
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot), {L"loc\\untouched.tmp"});
        EXPECT_EQ(finder_.GetChangedCount(), 3);
        for (const wchar_t* name : {L"\\same-size.tmp", L"\\grown.tmp", L"\\old-time.tmp"}) {
            const CJunkItem* item = Item(kLocation + name);
            ASSERT_NE(item, nullptr) << "kept in the list";
            EXPECT_TRUE(item->changedSinceScan);
            EXPECT_FALSE(item->checked) << "no longer the user's choice";
        }
        Reset();
    }
}

TEST_F(JunkSafetyTest, AFileReplacedByAFolderIsNeverEntered) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        WriteFileBytes(kLocation + L"\\cache.tmp", "junk");
        WriteFileBytes(kLocation + L"\\other.tmp", "junk too");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 2);
        ASSERT_TRUE(DeleteFileW(LiteralOf(kLocation + L"\\cache.tmp").c_str()));
        WriteFileBytes(kLocation + L"\\cache.tmp\\thesis.doc", "the user's thesis");
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot), {L"loc\\other.tmp"});
        ASSERT_NE(Item(kLocation + L"\\cache.tmp"), nullptr);
        EXPECT_TRUE(Item(kLocation + L"\\cache.tmp")->changedSinceScan);
        Reset();
    }
}

TEST_F(JunkSafetyTest, AFileReplacedUnderTheSameNameOrThroughARenamedFolderIsKept) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        WriteFileBytes(kLocation + L"\\replaced.tmp", "junk");
        WriteFileBytes(kLocation + L"\\sub\\moved.tmp", "junk in a folder");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 2);
        // A new file of the same name and size; the scanned folder renamed and a new one of its
        // name holding a file never scanned.
        ASSERT_TRUE(DeleteFileW(LiteralOf(kLocation + L"\\replaced.tmp").c_str()));
        WriteFileBytes(kLocation + L"\\replaced.tmp", "USER");
        ASSERT_TRUE(MoveFileW(LiteralOf(kLocation + L"\\sub").c_str(),
                              LiteralOf(kLocation + L"\\sub-old").c_str()));
        WriteFileBytes(kLocation + L"\\sub\\moved.tmp", "the user's new file");
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot));
        EXPECT_EQ(finder_.GetChangedCount(), 2);
        Reset();
    }
}

// Copies the times of one file onto another, so that only the item itself tells them apart.
void CopyTimes(const std::wstring& from, const std::wstring& to) {
    FILETIME created{}, accessed{}, written{};
    {
        KernelHandle file(CreateFileW(LiteralOf(from).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(GetFileTime(file.Get(), &created, &accessed, &written));
    }
    KernelHandle file(CreateFileW(LiteralOf(to).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(file.Get(), &created, &accessed, &written));
}

TEST_F(JunkSafetyTest, TwoFoundFilesSwappedOrOneRenamedAwayAfterTheScanAreKept) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        // Same size and, below, the same times: only the listing's file number tells them apart.
        WriteFileBytes(kLocation + L"\\a.tmp", "bytes of a");
        WriteFileBytes(kLocation + L"\\b.tmp", "bytes of b");
        WriteFileBytes(kLocation + L"\\deep\\renamed.tmp", "renamed by the user");
        WriteFileBytes(kLocation + L"\\plain.tmp", "junk indeed");
        CopyTimes(kLocation + L"\\a.tmp", kLocation + L"\\b.tmp");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 4);

        const std::wstring a = LiteralOf(kLocation + L"\\a.tmp");
        const std::wstring b = LiteralOf(kLocation + L"\\b.tmp");
        const std::wstring swap = LiteralOf(kLocation + L"\\swap");
        ASSERT_TRUE(MoveFileW(a.c_str(), swap.c_str()));
        ASSERT_TRUE(MoveFileW(b.c_str(), a.c_str()));
        ASSERT_TRUE(MoveFileW(swap.c_str(), b.c_str()));
        ASSERT_TRUE(MoveFileW(LiteralOf(kLocation + L"\\deep\\renamed.tmp").c_str(),
                              LiteralOf(kLocation + L"\\deep\\kept.doc").c_str()));
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot), {L"loc\\plain.tmp"});
        EXPECT_EQ(ReadAllBytes(kLocation + L"\\a.tmp"), "bytes of b");
        EXPECT_EQ(ReadAllBytes(kLocation + L"\\b.tmp"), "bytes of a");
        EXPECT_EQ(finder_.GetChangedCount(), 2);
        // The renamed file's path names nothing now: it leaves the list, and its bytes stay.
        EXPECT_EQ(Item(kLocation + L"\\deep\\renamed.tmp"), nullptr);
        EXPECT_EQ(ReadAllBytes(kLocation + L"\\deep\\kept.doc"), "renamed by the user");
        Reset();
    }
}

TEST_F(JunkSafetyTest, ACleanOfManyFilesKeepsEveryFileChangedBeforeOrWhileItRuns) {
    // More files than a round of the removal takes at once, so that the threads removing them
    // side by side meet changes in every round.
    constexpr int kFiles = 700;
    const auto nameOf = [](int i) { return L"f" + std::to_wstring(i) + L".tmp"; };
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        for (int i = 0; i < kFiles; ++i) {
            WriteFileBytes(kLocation + L"\\" + nameOf(i), "junk " + std::to_string(i));
            if (i % 11 == 0)
                WriteFileBytes(kRoot + L"\\spare" + std::to_wstring(i) + L".doc",
                               "the user's file");
        }
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), kFiles);
        // Before the clean every 7th file is rewritten and every 11th replaced by another file.
        int changed = 0;
        for (int i = 0; i < kFiles; ++i) {
            const std::wstring path = kLocation + L"\\" + nameOf(i);
            if (i % 7 == 0) {
                WriteFileBytes(path, "rewritten by the user " + std::to_string(i));
                ++changed;
            } else if (i % 11 == 0) {
                ASSERT_TRUE(MoveFileExW(
                    LiteralOf(kRoot + L"\\spare" + std::to_wstring(i) + L".doc").c_str(),
                    LiteralOf(path).c_str(), MOVEFILE_REPLACE_EXISTING));
                ++changed;
            }
        }
        TreeSnapshot before = TakeSnapshot(kRoot);
        // Once the page hears of the first item, and before the next is taken, every 13th file
        // still there is rewritten and every 17th opened by another program that lets nobody
        // delete it.
        std::set<std::wstring> touched;
        std::vector<KernelHandle> holders;
        bool changedWhileRunning = false;
        recorder_.onRecord = [&](const MessageRecorder::Record& record) {
            if (record.message != JunkMessages().deleteOutput || changedWhileRunning)
                return;
            changedWhileRunning = true;
            for (int i = 0; i < kFiles; ++i) {
                if (i % 7 == 0 || i % 11 == 0 || (i % 13 != 0 && i % 17 != 0))
                    continue;
                const std::wstring path = kLocation + L"\\" + nameOf(i);
                if (!Exists(path))
                    continue; // the first item
                touched.insert(L"loc\\" + nameOf(i));
                if (i % 13 == 0) {
                    WriteFileBytes(path, "rewritten while the clean ran " + std::to_string(i));
                    before[L"loc\\" + nameOf(i)] = ReadAllBytes(path);
                    ++changed;
                } else {
                    holders.emplace_back(CreateFileW(LiteralOf(path).c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                     nullptr));
                    ASSERT_TRUE(holders.back());
                }
            }
        };
        Clean(direct);
        recorder_.onRecord = nullptr;
        holders.clear();

        ASSERT_TRUE(changedWhileRunning);
        std::set<std::wstring> removed;
        for (int i = 0; i < kFiles; ++i) {
            const std::wstring name = L"loc\\" + nameOf(i);
            if (i % 7 != 0 && i % 11 != 0 && !touched.count(name))
                removed.insert(name);
        }
        ExpectOnlyRemoved(before, TakeSnapshot(kRoot), removed);
        EXPECT_EQ(finder_.GetChangedCount(), changed);
        // What stays is still listed; what went is not.
        EXPECT_EQ(finder_.GetFoundCount(), kFiles - static_cast<INT_PTR>(removed.size()));
        Reset();
    }
}

TEST_F(JunkSafetyTest, AnEmptyFolderGoesOnlyWhileItIsStillEmpty) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        MakeFolders(kLocation + L"\\found-empty");
        MakeFolders(kLocation + L"\\stays-empty");
        WriteFileBytes(kLocation + L"\\parent\\only.tmp", "junk");
        Scan(kLocation + L";", true);
        ASSERT_EQ(FoundNames(), (std::set<std::wstring>{L"", L"only.tmp"}));
        ASSERT_EQ(finder_.GetFoundCount(), 3);
        // The user puts files into a found empty folder and into the folder a deletion empties.
        WriteFileBytes(kLocation + L"\\found-empty\\letter.txt", "the user's letter");
        WriteFileBytes(kLocation + L"\\parent\\photo.jpg", "the user's photo");
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot),
                          {L"loc\\stays-empty", L"loc\\parent\\only.tmp"});
        ASSERT_NE(Item(kLocation + L"\\found-empty\\"), nullptr);
        EXPECT_TRUE(Item(kLocation + L"\\found-empty\\")->changedSinceScan);
        Reset();
    }
}

TEST_F(JunkSafetyTest, OnlyTheCheckedOneOfNamesTheSystemWouldTakeForTwinsGoes) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        WriteFileBytes(kLocation + L"\\dup.txt", "the plain one");
        WriteFileBytes(kLocation + L"\\dup.txt.", "the dotted one");
        WriteFileBytes(kLocation + L"\\sp.txt", "the plain two");
        WriteFileBytes(kLocation + L"\\sp.txt ", "the blank one");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 4);
        Item(kLocation + L"\\dup.txt")->checked = false;
        Item(kLocation + L"\\sp.txt")->checked = false;
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);

        ExpectOnlyRemoved(before, TakeSnapshot(kRoot), {L"loc\\dup.txt.", L"loc\\sp.txt "});
        EXPECT_EQ(finder_.GetFoundCount(), 2);
        Reset();
    }
}

TEST_F(JunkSafetyTest, NamesInAnyScriptAndPathsOverMaxPathAreFoundAndCleaned) {
    TestDrive drive(L'K', kDriveFolder);
    ASSERT_TRUE(drive.IsMapped());
    std::wstring deep = kLocation;
    for (int i = 0; i < 5; ++i)
        deep += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
    ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
    const std::wstring temps[] = {kLocation + L"\\\u6f22\u5b57.dat",
                                  kLocation + L"\\\U0001F600 smile.dat",
                                  kLocation + L"\\cafe\u0301.dat", deep + L"\\long one.dat",
                                  deep + L"\\\u0416\u0443\u043a.dat"};
    const std::wstring masked[] = {L"K:\\\u6f22\u5b57.tmp", L"K:\\\U0001F600.tmp",
                                   L"K:\\" + std::wstring(200, L'm') + L"\\" +
                                       std::wstring(100, L'n') + L".tmp"};
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        for (const std::wstring& path : temps)
            WriteFileBytes(path, "temporary " + std::to_string(path.size()));
        for (const std::wstring& path : masked)
            WriteFileBytes(path, "junk " + std::to_string(path.size()));
        WriteFileBytes(L"K:\\\u6f22\u5b57.txt", "the user's CJK letter");
        WriteFileBytes(L"K:\\caf\u00e9.doc", "the user's precomposed twin");
        Scan(L"K;" + kLocation + L";");
        std::set<std::wstring> expected;
        for (const std::wstring& path : temps)
            expected.insert(path.substr(path.rfind(L'\\') + 1));
        for (const std::wstring& path : masked)
            expected.insert(path.substr(path.rfind(L'\\') + 1));
        EXPECT_EQ(FoundNames(), expected);
        const TreeSnapshot beforeLocation = TakeSnapshot(kRoot);
        const TreeSnapshot beforeDrive = TakeSnapshot(kDriveFolder);
        Clean(direct);

        std::set<std::wstring> removedLocation, removedDrive;
        for (const std::wstring& path : temps)
            removedLocation.insert(path.substr(kRoot.size() + 1));
        for (const std::wstring& path : masked)
            removedDrive.insert(path.substr(3));
        ExpectOnlyRemoved(beforeLocation, TakeSnapshot(kRoot), removedLocation);
        ExpectOnlyRemoved(beforeDrive, TakeSnapshot(kDriveFolder), removedDrive);
        EXPECT_EQ(finder_.GetFoundCount(), 0);
        Reset();
        RemoveTree(kDriveFolder + L"\\" + std::wstring(200, L'm'));
    }
}

TEST_F(JunkSafetyTest, AStoredMaskThatMatchesEveryNameNeverMakesAFileJunk) {
    TestDrive drive(L'K', kDriveFolder);
    ASSERT_TRUE(drive.IsMapped());
    // A damaged list: it holds catch-all masks beside one sound mask.
    ASSERT_TRUE(CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey()));
    {
        RegistryKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        for (const wchar_t* mask : {L"*", L"*.*", L"?*", L"*.tmp"}) {
            const DWORD enabled = 1;
            ASSERT_EQ(RegSetValueExW(key.Get(), mask, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&enabled), sizeof enabled),
                      ERROR_SUCCESS);
        }
    }
    finder_.LoadMasks();
    ASSERT_EQ(finder_.GetMaskCount(), 1);
    // Even added behind the list's back, such a mask takes no part in a scan.
    finder_.AddMask(L"*", 1);
    WriteFileBytes(L"K:\\report.docx", "the user's report");
    WriteFileBytes(L"K:\\photos\\holiday.jpg", "the user's photo");
    WriteFileBytes(L"K:\\notes", "no extension");
    WriteFileBytes(L"K:\\build\\cache.tmp", "junk");
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        Scan(L"K;");
        EXPECT_EQ(FoundNames(), (std::set<std::wstring>{L"cache.tmp"}));
        const TreeSnapshot before = TakeSnapshot(kDriveFolder);
        Clean(direct);
        ExpectOnlyRemoved(before, TakeSnapshot(kDriveFolder), {L"build\\cache.tmp"});
        WriteFileBytes(L"K:\\build\\cache.tmp", "junk");
    }
}

TEST_F(JunkSafetyTest, NothingOutsideTheScansLocationsAndCategoriesIsCleaned) {
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        WriteFileBytes(kLocation + L"\\a.tmp", "junk");
        WriteFileBytes(kLocation + L"\\b.tmp", "junk");
        WriteFileBytes(kLocation + L"\\c.tmp", "junk");
        WriteFileBytes(kLocation + L"\\setup.exe", "a program");
        WriteFileBytes(kRoot + L"\\outside.txt", "the user's file beside the location");
        Scan(kLocation + L";");
        ASSERT_EQ(finder_.GetFoundCount(), 3);
        // Items that say more than the scan found: a path outside the location with that
        // file's own identity, a category the scan never looked for, a protected type.
        CJunkItem* outside = Item(kLocation + L"\\a.tmp");
        outside->SetPath((kRoot + L"\\outside.txt").c_str());
        ASSERT_EQ(ReadItemIdentity(outside->path, outside->identity), ItemOutcome::kDone);
        Item(kLocation + L"\\b.tmp")->category = kZeroLengthFile;
        CJunkItem* program = Item(kLocation + L"\\c.tmp");
        program->SetPath((kLocation + L"\\setup.exe").c_str());
        ASSERT_EQ(ReadItemIdentity(program->path, program->identity), ItemOutcome::kDone);
        const TreeSnapshot before = TakeSnapshot(kRoot);
        Clean(direct);
        ExpectOnlyRemoved(before, TakeSnapshot(kRoot));
        Reset();
    }
}

int g_shellOperations = 0;
bool g_heldAgainstWriting = false;

// The first shell operation moves nothing. Meanwhile the user cannot write a queued file (the
// batch holds it), but moves it away and puts a file of his own in its place.
int WINAPI FirstOperationMovesNothing(SHFILEOPSTRUCTW* operation) {
    if (g_shellOperations++ > 0)
        return SHFileOperationW(operation);
    const std::wstring queued = kLocation + L"\\replaced.tmp";
    const KernelHandle writer(CreateFileW(LiteralOf(queued).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    g_heldAgainstWriting = !writer;
    EXPECT_TRUE(
        MoveFileW(LiteralOf(queued).c_str(), LiteralOf(kLocation + L"\\moved-away.tmp").c_str()));
    WriteFileBytes(queued, "the user's new content");
    return 0;
}

TEST_F(JunkSafetyTest, WhatTheBatchLeftIsRetriedOnlyAsItWasFound) {
    g_shellOperations = 0;
    CRecycleBatch::SetShellOperation(&FirstOperationMovesNothing);
    WriteFileBytes(kLocation + L"\\left.tmp", "junk");
    WriteFileBytes(kLocation + L"\\replaced.tmp", "junk");
    Scan(kLocation + L";");
    ASSERT_EQ(finder_.GetFoundCount(), 2);
    Clean(false);
    CRecycleBatch::SetShellOperation(nullptr);
    EXPECT_TRUE(g_heldAgainstWriting);
    EXPECT_EQ(g_shellOperations, 2) << "the batch, then left.tmp by itself";
    const TreeSnapshot after = TakeSnapshot(kRoot);
    EXPECT_EQ(after, (TreeSnapshot{{L"loc", kFolderMark},
                                   {L"loc\\moved-away.tmp", "junk"},
                                   {L"loc\\replaced.tmp", "the user's new content"}}));
    ASSERT_NE(Item(kLocation + L"\\replaced.tmp"), nullptr);
    EXPECT_TRUE(Item(kLocation + L"\\replaced.tmp")->changedSinceScan);
}

TEST_F(JunkSafetyTest, TheProgramsOwnFoldersAreNeverCleanedAway) {
    // A scan of the program's data folder, with folders the scan and the clean would take
    // anywhere else.
    const std::wstring data = ShellFolder(CSIDL_APPDATA) + L"\\" +
                              std::wstring(GetCompanyProductPath()) + L"\\XarnJunkSafetyData";
    RemoveTree(data);
    MakeFolders(data + L"\\empty");
    WriteFileBytes(data + L"\\cache\\old.tmp", "junk");
    for (bool direct : {true, false}) {
        SCOPED_TRACE(ModeName(direct));
        Scan(data + L";", true);
        EXPECT_EQ(FoundNames(), (std::set<std::wstring>{L"old.tmp"})) << "no folder is offered";
        const TreeSnapshot before = TakeSnapshot(data);
        Clean(direct);
        ExpectOnlyRemoved(before, TakeSnapshot(data), {L"cache\\old.tmp"});
        WriteFileBytes(data + L"\\cache\\old.tmp", "junk");
    }
    RemoveTree(data);
}

TEST(ProtectedFoldersTest, TheSystemsAndTheUsersFoldersAreProtected) {
    g_strAppTitle = L"XarnJunkSafetyTest";
    CProtectedFolders folders;
    folders.Gather();
    wchar_t windows[MAX_PATH] = {};
    ASSERT_TRUE(GetWindowsDirectoryW(windows, MAX_PATH));
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetTempPathW(MAX_PATH + 1, temp));
    const std::wstring appData = ShellFolder(CSIDL_APPDATA);
    std::vector<std::wstring> kept = {
        windows,
        std::wstring(windows) + L"\\Fonts",
        std::wstring(windows) + L"\\tasks",
        std::wstring(windows) + L"\\temp",
        std::wstring(windows) + L"\\system32\\tasks\\anything",
        temp,
        std::wstring(temp) + L"\\",
        appData + L"\\Microsoft\\Windows\\Themes",
        appData + L"\\" + std::wstring(GetCompanyProductPath()),
        appData + L"\\" + std::wstring(GetCompanyProductPath()) + L"\\XarnJunkSafetyTest\\x",
        ShellFolder(CSIDL_PROFILE),
        L"C:\\",
    };
    for (int csidl :
         {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY,
          CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES, CSIDL_COMMON_VIDEO,
          CSIDL_RECENT, CSIDL_FONTS, CSIDL_TEMPLATES, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY,
          CSIDL_LOCAL_APPDATA, CSIDL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PROGRAM_FILES}) {
        const std::wstring folder = ShellFolder(csidl);
        if (!folder.empty())
            kept.push_back(folder);
    }
    for (const std::wstring& folder : kept)
        EXPECT_TRUE(folders.IsProtected(folder.c_str()))
            << "not protected: " << testing::PrintToString(folder);
    for (const std::wstring& folder : {std::wstring(temp) + L"xarn-junk-scratch\\empty",
                                       kRoot + L"\\loc\\sub", std::wstring(L"K:\\cache")})
        EXPECT_FALSE(folders.IsProtected(folder.c_str()))
            << "protected: " << testing::PrintToString(folder);
    // Another profile is made of the same folders.
    const std::wstring profile = ShellFolder(CSIDL_PROFILE);
    const std::wstring profiles = profile.substr(0, profile.rfind(L'\\'));
    const std::wstring other = profiles + L"\\xarn-other-user";
    MakeFolders(other + L"\\AppData\\Local\\Temp");
    CProtectedFolders again;
    again.Gather();
    EXPECT_TRUE(again.IsProtected((other + L"\\AppData\\Local\\Temp").c_str()));
    EXPECT_TRUE(again.IsProtected(other.c_str()));
    // The current user's folders, in the other profile.
    const std::wstring ownTemp = std::wstring(temp).substr(0, wcslen(temp) - 1);
    if (ownTemp.compare(0, profile.size() + 1, profile + L"\\") == 0) {
        EXPECT_TRUE(again.IsProtected((other + ownTemp.substr(profile.size())).c_str()));
    }
    const std::wstring localAppData = ShellFolder(CSIDL_LOCAL_APPDATA);
    EXPECT_TRUE(again.IsProtected((other + localAppData.substr(profile.size())).c_str()));
    EXPECT_FALSE(again.IsProtected((other + L"\\AppData\\Local\\Temp\\sub").c_str()));
    RemoveTree(other);
}

} // namespace
