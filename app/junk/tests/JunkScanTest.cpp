// The junk scan on generated trees on a test drive: found items and categories, location
// matching, links, options, messages and stopping.
#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <thread>

#include "HeldItem.h"
#include "JunkTestSupport.h"
#include "LockProbe.h"
#include "AppState.h"
#include "Paths.h"
#include "Registry.h"

using namespace junktest;

namespace {

const std::wstring kDriveFolder = L"C:\\xarn-junk-scan-drive";

std::set<std::wstring> Lower(const std::vector<std::wstring>& paths) {
    std::set<std::wstring> lower;
    for (std::wstring path : paths) {
        std::transform(path.begin(), path.end(), path.begin(), towlower);
        lower.insert(path);
    }
    return lower;
}

class JunkScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strAppTitle = L"XarnJunkScanTest";
        // Left by an earlier run, or absent already.
        static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey()));
        static_cast<void>(
            CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::IgnoreListKey()));
        ASSERT_TRUE(drive_.IsMapped()) << "drive T: is not mapped to the test folder";
        finder_.LoadMasks();
        finder_.LoadIgnoreList();
        JunkScanOptions options;
        options.skipSystem = FALSE;
        finder_.SetOptions(options);
    }
    void TearDown() override {
        RemoveTree(L"T:\\tree");
        RemoveTree(L"T:\\Temp");
        RemoveTree(L"T:\\Temp2");
        RemoveTree(L"T:\\TempData");
        RemoveTree(L"T:\\outside");
    }

    std::set<std::wstring> Scan(const wchar_t* locations) {
        finder_.SetLocations(locations);
        EXPECT_TRUE(RunScan(finder_, recorder_)) << "no finished message";
        return Lower(FoundPaths(finder_));
    }
    int CategoryOf(const std::wstring& path) {
        for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
            if (finder_.GetFoundItem(i)->path.CompareNoCase(path.c_str()) == 0)
                return finder_.GetFoundItem(i)->category;
        return -1;
    }

    TestDrive drive_{L'T', kDriveFolder};
    MessageRecorder recorder_;
    CJunkFileFinder finder_;
};

TEST_F(JunkScanTest, FindsJunkByMaskTempByLocationAndNeverProtectedExtensions) {
    MakeFile(L"T:\\tree\\a\\old.tmp");
    MakeFile(L"T:\\tree\\a\\~lock.txt");
    MakeFile(L"T:\\tree\\a\\letter.txt");
    MakeFile(L"T:\\tree\\a\\report.bak");
    MakeFile(L"T:\\tree\\tool.tmp.exe");
    MakeFile(L"T:\\Temp\\anything.txt");
    MakeFile(L"T:\\Temp\\deep\\more.dat");
    MakeFile(L"T:\\Temp\\setup.exe");
    MakeFile(L"T:\\Temp2\\sibling.txt");
    MakeFile(L"T:\\TempData\\data.txt");
    MakeFile(L"T:\\Temp2\\cache.tmp");

    const auto found = Scan(L"T;T:\\Temp;");
    EXPECT_EQ(found, (std::set<std::wstring>{L"t:\\tree\\a\\old.tmp", L"t:\\tree\\a\\~lock.txt",
                                             L"t:\\temp2\\cache.tmp", L"t:\\temp\\anything.txt",
                                             L"t:\\temp\\deep\\more.dat"}));
    EXPECT_EQ(CategoryOf(L"T:\\tree\\a\\old.tmp"), kJunkFile);
    EXPECT_EQ(CategoryOf(L"T:\\Temp2\\cache.tmp"), kJunkFile);
    EXPECT_EQ(CategoryOf(L"T:\\Temp\\anything.txt"), kTempFile);
    EXPECT_EQ(CategoryOf(L"T:\\Temp\\deep\\more.dat"), kTempFile);
    for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i) {
        EXPECT_TRUE(finder_.GetFoundItem(i)->checked);
        EXPECT_EQ(finder_.GetFoundItem(i)->size, 10u);
        EXPECT_NE(finder_.GetFoundItem(i)->written, 0);
    }

    // report.bak only once its mask is enabled.
    for (INT_PTR i = 0; i < finder_.GetMaskCount(); ++i)
        if (finder_.GetMaskText(i) == L"*.bak")
            finder_.GetMask(i)->flags = 3;
    EXPECT_TRUE(Scan(L"T;").count(L"t:\\tree\\a\\report.bak"));
}

TEST_F(JunkScanTest, AFolderLocationNeverMatchesASiblingByTextPrefix) {
    MakeFile(L"T:\\Temp2\\x\\precious.doc");
    MakeFile(L"T:\\TempData\\precious.txt");
    MakeFile(L"T:\\Temp\\junk.txt");
    // A drive scan with the folder location in the list: siblings are not temporary.
    EXPECT_EQ(Scan(L"T;T:\\Temp;"), (std::set<std::wstring>{L"t:\\temp\\junk.txt"}));
    // The location given in another letter case and with a final backslash.
    EXPECT_EQ(Scan(L"T;t:\\TEMP\\;"), (std::set<std::wstring>{L"t:\\temp\\junk.txt"}));

    finder_.SetLocations(L"C:\\Temp;");
    EXPECT_FALSE(finder_.IsUnderSelectedFolder(L"C:\\Temp2\\x\\"));
    EXPECT_FALSE(finder_.IsUnderSelectedFolder(L"C:\\TempData\\"));
    EXPECT_TRUE(finder_.IsUnderSelectedFolder(L"c:\\temp\\"));
    EXPECT_TRUE(finder_.IsUnderSelectedFolder(L"C:\\TEMP\\sub\\"));
    EXPECT_TRUE(finder_.IsSelectedLocation(L"c:\\temp\\"));
    EXPECT_FALSE(finder_.IsSelectedLocation(L"C:\\Temp2\\"));
}

TEST_F(JunkScanTest, LinksInsideATemporaryFolderAreNeitherFollowedNorTaken) {
    MakeFile(L"T:\\outside\\documents\\thesis.doc");
    MakeFile(L"T:\\outside\\documents\\notes.tmp");
    MakeFile(L"T:\\outside\\single.txt");
    MakeFile(L"T:\\Temp\\real.txt");
    ASSERT_TRUE(MakeSymbolicLink(L"T:\\Temp\\linked", L"T:\\outside\\documents", true));
    ASSERT_TRUE(MakeSymbolicLink(L"T:\\Temp\\linked.tmp", L"T:\\outside\\single.txt", false));
    // A read-only file takes the foundation's lock test, which must never reach behind a link.
    MakeFile(L"T:\\outside\\kept.txt");
    ASSERT_TRUE(SetFileAttributesW(L"T:\\outside\\kept.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeSymbolicLink(L"T:\\Temp\\kept.txt", L"T:\\outside\\kept.txt", false));
    const bool junction = MakeJunction(L"T:\\Temp\\junction", L"T:\\outside\\documents");
    if (!junction)
        std::printf("note: this file system holds no junctions; the folder link stands for one\n");

    EXPECT_EQ(Scan(L"T:\\Temp;"), (std::set<std::wstring>{L"t:\\temp\\real.txt"}));

    // Cleaning what was found leaves everything behind the links in place.
    JunkScanOptions options = finder_.GetOptions();
    options.directRemove = TRUE;
    options.emptyFolders = TRUE;
    finder_.SetOptions(options);
    CIndexArray indices;
    ASSERT_TRUE(RunDeletion(finder_, recorder_, indices));
    EXPECT_FALSE(Exists(L"T:\\Temp\\real.txt"));
    EXPECT_TRUE(Exists(L"T:\\outside\\documents\\thesis.doc"));
    EXPECT_TRUE(Exists(L"T:\\outside\\documents\\notes.tmp"));
    EXPECT_TRUE(Exists(L"T:\\outside\\single.txt"));
    EXPECT_TRUE(GetFileAttributesW(L"T:\\outside\\kept.txt") & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(L"T:\\outside\\kept.txt", FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(Exists(L"T:\\Temp\\linked"));
}

TEST_F(JunkScanTest, OptionsDecideZeroLengthEmptyFolderSystemAndRecentFiles) {
    MakeFile(L"T:\\tree\\notes.txt", 0);
    CreateDirectoryW(L"T:\\tree\\empty", nullptr);
    MakeFile(L"T:\\tree\\guarded.tmp", 10, 24.0 * 30, FILE_ATTRIBUTE_READONLY);
    MakeFile(L"T:\\tree\\recent.tmp", 10, 24.0 * 6);
    MakeFile(L"T:\\tree\\weekold.tmp", 10, 24.0 * 8);
    MakeFile(L"T:\\Temp\\hours23.txt", 10, 23);
    MakeFile(L"T:\\Temp\\hours25.txt", 10, 25);

    auto found = Scan(L"T;T:\\Temp;");
    EXPECT_FALSE(found.count(L"t:\\tree\\notes.txt"));
    EXPECT_FALSE(found.count(L"t:\\tree\\empty\\"));
    EXPECT_TRUE(found.count(L"t:\\tree\\guarded.tmp"));
    EXPECT_TRUE(found.count(L"t:\\tree\\recent.tmp"));
    EXPECT_TRUE(found.count(L"t:\\temp\\hours23.txt"));

    JunkScanOptions options;
    options.zeroLength = TRUE;
    options.emptyFolders = TRUE;
    options.skipSystem = TRUE;
    options.excludeRecent = TRUE;
    finder_.SetOptions(options);
    found = Scan(L"T;T:\\Temp;");
    EXPECT_EQ(found, (std::set<std::wstring>{L"t:\\tree\\notes.txt", L"t:\\tree\\empty\\",
                                             L"t:\\tree\\weekold.tmp", L"t:\\temp\\hours25.txt"}));
    EXPECT_EQ(CategoryOf(L"T:\\tree\\notes.txt"), kZeroLengthFile);
    EXPECT_EQ(CategoryOf(L"T:\\tree\\empty\\"), kEmptyFolder);
    for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i)
        EXPECT_EQ(finder_.GetFoundItem(i)->checked,
                  finder_.GetFoundItem(i)->category != kEmptyFolder);
    EXPECT_EQ(finder_.GetSelectedSize(), 20u);
}

TEST_F(JunkScanTest, ALockedFileIsLeftAlone) {
    MakeFile(L"T:\\Temp\\open.log");
    MakeFile(L"T:\\Temp\\free.log");
    KernelHandle held(
        CreateFileW(L"T:\\Temp\\open.log", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const auto found = Scan(L"T:\\Temp;");
    held.Reset();
    EXPECT_EQ(found, (std::set<std::wstring>{L"t:\\temp\\free.log"}));
}

// The files of `folder` (ending in a backslash) that a scan of it as a temporary folder finds, in
// the order its listings give them: a folder's empty subfolders where they are met, each file
// but those in `held`.
void ListInWalkOrder(const std::wstring& folder, const std::set<std::wstring>& held,
                     std::vector<std::wstring>& walk) {
    std::vector<std::pair<std::wstring, bool>> entries;
    WIN32_FIND_DATAW entry;
    const FindHandle search(FindFirstFileW((folder + L"*").c_str(), &entry));
    if (search) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..")
                entries.emplace_back(name,
                                     (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileW(search.Get(), &entry));
    }
    for (const auto& [name, isFolder] : entries) {
        const std::wstring path = folder + name + (isFolder ? L"\\" : L"");
        if (isFolder && PathIsDirectoryEmptyW(path.c_str()))
            walk.push_back(path);
        if (isFolder)
            ListInWalkOrder(path, held, walk);
        else if (!held.count(path))
            walk.push_back(path);
    }
}

TEST_F(JunkScanTest, ManyFoundFilesComeOnceEachInTheWalksOrderWithoutTheLockedOnes) {
    // More matches than one round of probes takes, locked ones and empty folders among them.
    std::vector<std::wstring> paths;
    for (int i = 0; i < 150; ++i) {
        paths.push_back(L"T:\\Temp\\a\\f" + std::to_wstring(i) + L".txt");
        paths.push_back(L"T:\\Temp\\b\\deep\\g" + std::to_wstring(i) + L".log");
    }
    for (int i = 0; i < 20; ++i)
        paths.push_back(L"T:\\Temp\\top" + std::to_wstring(i) + L".dat");
    for (const std::wstring& path : paths)
        MakeFile(path);
    for (const wchar_t* empty : {L"T:\\Temp\\a\\empty", L"T:\\Temp\\b\\none", L"T:\\Temp\\void"})
        ASSERT_TRUE(CreateDirectoryW(empty, nullptr));
    std::set<std::wstring> held;
    std::vector<KernelHandle> locks;
    for (size_t i = 0; i < paths.size(); i += 23) {
        locks.emplace_back(
            CreateFileW(paths[i].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locks.back());
        held.insert(paths[i]);
    }
    std::vector<std::wstring> expected;
    ListInWalkOrder(L"T:\\Temp\\", held, expected);
    ASSERT_EQ(expected.size(), paths.size() - held.size() + 3);

    JunkScanOptions options;
    options.skipSystem = FALSE;
    options.emptyFolders = TRUE;
    finder_.SetOptions(options);
    finder_.SetLocations(L"T:\\Temp;");
    ASSERT_TRUE(RunScan(finder_, recorder_));
    locks.clear();
    EXPECT_EQ(FoundPaths(finder_), expected);
    EXPECT_EQ(recorder_.ReportedFound(), expected.size());
}

TEST_F(JunkScanTest, ALocationThatIsItselfALinkGivesNothing) {
    MakeFile(L"T:\\outside\\documents\\notes.tmp");
    MakeFile(L"T:\\outside\\documents\\deeper\\draft.txt");
    ASSERT_TRUE(MakeSymbolicLink(L"T:\\Temp", L"T:\\outside\\documents", true));
    EXPECT_TRUE(Scan(L"T:\\Temp;").empty());
}

TEST_F(JunkScanTest, TheLockProbeAnswersAsTheFoundationsTest) {
    MakeFile(L"T:\\Temp\\free.log");
    MakeFile(L"T:\\Temp\\shared.log");
    MakeFile(L"T:\\Temp\\written.log");
    MakeFile(L"T:\\Temp\\readonly.log");
    MakeFile(L"T:\\Temp\\held readonly.log");
    MakeFile(L"T:\\Temp\\caf\u00e9.log");
    ASSERT_TRUE(SetFileAttributesW(L"T:\\Temp\\readonly.log", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(L"T:\\Temp\\held readonly.log", FILE_ATTRIBUTE_READONLY));
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const auto hold = [&](const wchar_t* path, DWORD access) {
        return KernelHandle(
            CreateFileW(path, access, shareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    };
    // Other holders that share everything still keep the file from an exclusive open.
    KernelHandle reader = hold(L"T:\\Temp\\shared.log", GENERIC_READ);
    KernelHandle writer = hold(L"T:\\Temp\\written.log", GENERIC_WRITE);
    KernelHandle readOnlyReader = hold(L"T:\\Temp\\held readonly.log", GENERIC_READ);
    ASSERT_TRUE(reader);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(readOnlyReader);
    for (const wchar_t* path :
         {L"T:\\Temp\\free.log", L"T:\\Temp\\shared.log", L"T:\\Temp\\written.log",
          L"T:\\Temp\\readonly.log", L"T:\\Temp\\held readonly.log", L"T:\\Temp\\missing.log"}) {
        const DWORD attributes = GetFileAttributesW(path);
        const int expected = IsFileLocked(path);
        EXPECT_EQ(ProbeFileLock(path, attributes) == 0, expected == 0) << path;
    }
    EXPECT_EQ(ProbeFileLock(L"T:\\Temp\\free.log", FILE_ATTRIBUTE_ARCHIVE), 0);
    EXPECT_NE(ProbeFileLock(L"T:\\Temp\\shared.log", FILE_ATTRIBUTE_ARCHIVE), 0);
    // The read-only file keeps its attributes after the test.
    const DWORD readOnlyAttributes = GetFileAttributesW(L"T:\\Temp\\readonly.log");
    EXPECT_EQ(ProbeFileLock(L"T:\\Temp\\readonly.log", readOnlyAttributes), 0);
    EXPECT_EQ(GetFileAttributesW(L"T:\\Temp\\readonly.log"), readOnlyAttributes);
    EXPECT_TRUE(readOnlyAttributes & FILE_ATTRIBUTE_READONLY);

    // A name beyond ASCII is tested through its literal path, whatever the code page.
    EXPECT_EQ(ProbeFileLock(L"T:\\Temp\\caf\u00e9.log", FILE_ATTRIBUTE_ARCHIVE), 0);
    const auto found = Scan(L"T:\\Temp;");
    reader.Reset();
    writer.Reset();
    readOnlyReader.Reset();
    SetFileAttributesW(L"T:\\Temp\\readonly.log", FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(L"T:\\Temp\\held readonly.log", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(found, (std::set<std::wstring>{L"t:\\temp\\free.log", L"t:\\temp\\readonly.log",
                                             L"t:\\temp\\caf\u00e9.log"}));
}

TEST_F(JunkScanTest, EachFoundItemIsRecordedAsAnOpenOfItReads) {
    MakeFile(L"T:\\tree\\one.tmp");
    MakeFile(L"T:\\tree\\sub\\caf\u00e9 \u65e5\u672c.tmp");
    MakeFile(L"T:\\Temp\\any.txt");
    MakeFolders(L"T:\\Temp\\hollow");
    JunkScanOptions options = finder_.GetOptions();
    options.emptyFolders = TRUE;
    finder_.SetOptions(options);
    Scan(L"T;T:\\Temp;");
    ASSERT_EQ(finder_.GetFoundCount(), 4);
    for (INT_PTR i = 0; i < finder_.GetFoundCount(); ++i) {
        const CJunkItem& item = *finder_.GetFoundItem(i);
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.path.GetString())));
        FileIdentity opened;
        ASSERT_EQ(ReadItemIdentity(item.path, opened), ItemOutcome::kDone);
        EXPECT_TRUE(opened.Matches(item.identity));
        EXPECT_NE(item.identity.fileId, 0u);
        EXPECT_EQ(item.size, opened.size);
        EXPECT_EQ(item.identity.folder, item.IsEmptyFolderItem());
        // The times shown come from the same record.
        EXPECT_NE(item.created, 0);
        EXPECT_NE(item.written, 0);
        EXPECT_NE(item.accessed, 0);
    }
}

TEST_F(JunkScanTest, ExclusionsKeepFoldersOut) {
    MakeFile(L"T:\\Temp\\keep\\a.txt");
    MakeFile(L"T:\\Temp\\favorites\\b.txt");
    MakeFile(L"T:\\Temp\\c.txt");
    finder_.IgnoreList().Add(L"*\\keep\\*");
    EXPECT_EQ(Scan(L"T:\\Temp;"), (std::set<std::wstring>{L"t:\\temp\\c.txt"}));
}

TEST_F(JunkScanTest, OddFileTimesNeitherEndTheScanNorHideTheItem) {
    // Times the local conversion cannot express become 0.
    EXPECT_EQ(FileTimeToLocalSeconds(FILETIME{0xFFFFFFFF, 0xFFFFFFFF}), 0);
    EXPECT_EQ(FileTimeToLocalSeconds(FILETIME{0, 0}), 0);
    SYSTEMTIME ancient = {1700, 1, 0, 1, 0, 0, 0, 0};
    FILETIME ancientTime;
    ASSERT_TRUE(SystemTimeToFileTime(&ancient, &ancientTime));
    EXPECT_EQ(FileTimeToLocalSeconds(ancientTime), 0);
    SYSTEMTIME distant = {9000, 1, 0, 1, 0, 0, 0, 0};
    FILETIME farTime;
    ASSERT_TRUE(SystemTimeToFileTime(&distant, &farTime));
    EXPECT_EQ(FileTimeToLocalSeconds(farTime), 0);
    SYSTEMTIME known = {2020, 1, 0, 2, 0, 0, 0, 0}; // TZ=UTC in the test run
    FILETIME knownTime;
    ASSERT_TRUE(SystemTimeToFileTime(&known, &knownTime));
    EXPECT_EQ(FileTimeToLocalSeconds(knownTime), 1577923200);

    MakeFile(L"T:\\Temp\\ancient.txt");
    KernelHandle file(CreateFileW(L"T:\\Temp\\ancient.txt", FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SetFileTime(file.Get(), &ancientTime, &ancientTime, &ancientTime);
    file.Reset();
    MakeFile(L"T:\\Temp\\later.txt");
    EXPECT_EQ(Scan(L"T:\\Temp;"),
              (std::set<std::wstring>{L"t:\\temp\\ancient.txt", L"t:\\temp\\later.txt"}));
}

TEST_F(JunkScanTest, MessagesFollowLocationsAndFolders) {
    MakeFile(L"T:\\tree\\one.tmp");
    MakeFile(L"T:\\Temp\\two.txt");
    Scan(L"T;T:\\Temp;");
    const JunkMessageIds& ids = JunkMessages();
    EXPECT_EQ(recorder_.ReportedFound(), 2u);
    // Each location's found items are told before the page moves on to the next location.
    const auto changes = recorder_.Of(ids.locationChange);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].path, L"T:\\Temp\\");
    size_t foundBeforeChange = 0;
    for (const auto& record : recorder_.records) {
        if (record.message == ids.locationChange)
            break;
        if (record.message == ids.itemFound)
            foundBeforeChange += record.value;
    }
    EXPECT_EQ(foundBeforeChange, 1u);
    // Every location is told; folders inside them at the page's pace.
    std::set<std::wstring> told;
    for (const auto& record : recorder_.Of(ids.scanOutput)) {
        told.insert(record.path);
        EXPECT_GE(record.percent, 0);
        EXPECT_LE(record.percent, 100);
        EXPECT_EQ(record.path.rfind(L"T:\\", 0), 0u);
    }
    EXPECT_EQ(told.count(L"T:\\"), 1u);
    EXPECT_EQ(told.count(L"T:\\Temp\\"), 1u);
    EXPECT_EQ(recorder_.Count(ids.scanFinished), 1u);
    EXPECT_EQ(recorder_.records.back().message, ids.scanFinished);
}

TEST_F(JunkScanTest, FoundItemsAreToldInFewerReportsThatAddUpToTheList) {
    for (int i = 0; i < 400; ++i)
        MakeFile(L"T:\\Temp\\many\\f" + std::to_wstring(i) + L".txt");
    MakeFile(L"T:\\tree\\last.tmp");
    EXPECT_EQ(Scan(L"T:\\Temp;T;").size(), 401u);
    EXPECT_EQ(recorder_.ReportedFound(), 401u);
    // The first item is told at once; the rest go in reports of many.
    const auto reports = recorder_.Of(JunkMessages().itemFound);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().value, 1u);
    EXPECT_LT(reports.size(), 401u);
    for (const auto& report : reports)
        EXPECT_GT(report.value, 0u);
    // A scan after it starts its count again.
    RemoveTree(L"T:\\Temp\\many");
    EXPECT_EQ(Scan(L"T:\\Temp;T;").size(), 1u);
    EXPECT_EQ(recorder_.ReportedFound(), 1u);
}

TEST_F(JunkScanTest, AStopEndsEveryLevelAndStillFinishes) {
    for (int i = 0; i < 30; ++i)
        MakeFile(L"T:\\Temp\\a\\b\\c\\d\\e\\f" + std::to_wstring(i) + L".txt");
    recorder_.onRecord = [this](const MessageRecorder::Record& record) {
        if (record.message == JunkMessages().itemFound)
            finder_.RequestScanStop();
    };
    const auto found = Scan(L"T:\\Temp;T;");
    EXPECT_EQ(found.size(), 1u);
    EXPECT_EQ(recorder_.Count(JunkMessages().locationChange), 0u);
}

TEST_F(JunkScanTest, SetLocationsDropsAPieceWithoutItsSeparator) {
    finder_.SetLocations(L"C;D");
    ASSERT_EQ(finder_.GetLocations().GetSize(), 1);
    EXPECT_EQ(finder_.GetLocations()[0], L"C");
    finder_.SetLocations(L"C;D:\\Temp;");
    EXPECT_EQ(finder_.GetLocations().GetSize(), 2);
}

TEST_F(JunkScanTest, ASecondStartWhileScanningIsRefused) {
    finder_.SetLocations(L"T;");
    finder_.SetNotifyWindow(recorder_.Window());
    ASSERT_TRUE(finder_.StartScan());
    EXPECT_FALSE(finder_.StartScan());
    EXPECT_TRUE(recorder_.WaitFor(JunkMessages().scanFinished));
    finder_.WaitForWorker();
}

TEST_F(JunkScanTest, DestroyingTheFinderDuringAScanStopsItFirst) {
    for (int i = 0; i < 40; ++i)
        MakeFile(L"T:\\Temp\\f" + std::to_wstring(i) + L".txt");
    MessageRecorder recorder;
    auto* finder = new CJunkFileFinder;
    finder->SetLocations(L"T:\\Temp;T;");
    finder->SetNotifyWindow(recorder.Window());
    // The scan waits in its first report of a found item until the finder, destroyed on another
    // thread, has asked it to stop: the destruction comes mid-scan however fast the scan runs.
    std::thread destroyer;
    recorder.onRecord = [&](const MessageRecorder::Record& record) {
        if (record.message != JunkMessages().itemFound || destroyer.joinable())
            return;
        destroyer = std::thread([finder] { delete finder; });
        for (const ULONGLONG end = GetTickCount64() + 60000;
             !finder->IsScanStopRequested() && GetTickCount64() < end;)
            Sleep(1);
    };
    ASSERT_TRUE(finder->StartScan());
    EXPECT_TRUE(recorder.WaitFor(JunkMessages().scanFinished));
    ASSERT_TRUE(destroyer.joinable());
    destroyer.join();
    EXPECT_LT(recorder.ReportedFound(), 40u);
}

} // namespace
