// Removal of checked duplicates group by group: to the Recycle Bin, and into a zip backup then
// for good; a file held open stays and is reported, a group whose every copy is checked loses
// nothing, a failed archive deletes nothing, a file changed after its backup stays, too little
// space and a missing folder refuse before anything is made, and a drive's root is a backup
// folder. Every test compares every file's bytes before and after.
#include "DupesTestSupport.h"

#include "DupeRemover.h"
#include "ZipTestReader.h"

#include <HeldItem.h>

#include "SafetyTestSupport.h"

#include <memory>

namespace {

class Removal : public ::testing::Test {
protected:
    // A file of group `group` (1-based; records of a group are added together).
    CDupeFile* Add(const std::wstring& relative, const std::string& bytes, bool checked,
                   int group) {
        const std::wstring path = root / relative;
        MakeFoldersBelow(root.Path(), path);
        WriteBytes(path, bytes);
        auto record = std::make_unique<CDupeFile>();
        const size_t slash = path.rfind(L'\\');
        record->m_strFolder = path.substr(0, slash).c_str();
        record->m_strDisplayName = path.substr(slash + 1).c_str();
        record->m_strName = Lower(path.substr(slash + 1)).c_str();
        record->m_nSize = bytes.size();
        record->m_bRemovalMark = checked ? 1 : 0;
        record->m_nFirstGroup = group;
        record->m_identity.known =
            ReadItemIdentity(path.c_str(), record->m_identity.item) == ItemOutcome::kDone;
        EXPECT_TRUE(record->m_identity.known);
        files.push_back(record.get());
        owned.push_back(std::move(record));
        return files.back();
    }
    bool Exists(const std::wstring& relative) const {
        return GetFileAttributesW((root / relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    ScratchFolder root;
    ScratchFolder backups;
    std::vector<CDupeFile*> files;
    std::vector<std::unique_ptr<CDupeFile>> owned;
    std::atomic<bool> cancel{false};
};

class CountingObserver : public DupeRemovalObserver {
public:
    void OnFileStarted(const CString&) override { ++started; }
    void OnFileRemoved(int removedSoFar) override { lastRemoved = removedSoFar; }
    int started = 0;
    int lastRemoved = 0;
};

TEST_F(Removal, CheckedTotalsAndGroupsThatKeepNoCopy) {
    Add(L"a.txt", "12345", true, 1);
    Add(L"b.txt", "12345", false, 1);
    Add(L"c.txt", "1234567", true, 2);
    Add(L"d.txt", "1234567", true, 2);
    Add(L"e.txt", "1234567", true, 2);
    EXPECT_EQ(CountCheckedFiles(files), 4);
    EXPECT_EQ(SumCheckedBytes(files), 26u);
    const CDupeFile* first = nullptr;
    EXPECT_EQ(FindGroupKeepingNoCopy(files, &first), 2);
    EXPECT_EQ(first, files[2]);
    files[4]->m_bRemovalMark = 0;
    EXPECT_EQ(FindGroupKeepingNoCopy(files, &first), 0);
    EXPECT_EQ(first, nullptr);
}

TEST_F(Removal, RecycleBinRemovesCheckedCopiesAndKeepsAHeldOne) {
    Add(L"a\\one.txt", "one", true, 1);
    Add(L"k\\one.txt", "one", false, 1);
    Add(L"b\\two.txt", "two!", true, 2);
    Add(L"k\\two.txt", "two!", false, 2);
    Add(L"c\\three.txt", "three", false, 3);
    Add(L"k\\three.txt", "three", false, 3);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    KernelHandle holder(CreateFileW((root / L"b\\two.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CountingObserver observer;
    const DupeRemovalOutcome outcome = RemoveToRecycleBin(files, true, cancel, &observer);
    holder.Reset();
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.bytesFreed, 3u);
    EXPECT_TRUE(outcome.fileInUse);
    EXPECT_FALSE(outcome.changedSinceScan);
    EXPECT_EQ(observer.started, 2);
    EXPECT_EQ(observer.lastRemoved, 1);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"a\\one.txt"});
}

TEST_F(Removal, WithContentsComparedOnlyAByteEqualCopyGoes) {
    // Records that match their files but whose bytes differ from the kept copy's (as a record
    // whose times were set back would): the bytes decide where contents were compared.
    Add(L"k\\a.txt", "kept bytes 1", false, 1);
    Add(L"c\\a.txt", "other byte 1", true, 1);
    Add(L"c\\b.txt", "kept bytes 1", true, 1);
    Add(L"k\\big.bin.txt", std::string(3 << 20, 'z'), false, 2);
    std::string late(3 << 20, 'z');
    late.back() = 'y'; // the difference is in the last block
    Add(L"c\\big.bin.txt", late, true, 2);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    const DupeRemovalOutcome compared = RemoveToRecycleBin(files, true, cancel, nullptr);
    EXPECT_EQ(compared.removed, 1);
    EXPECT_EQ(compared.kept, 2);
    EXPECT_TRUE(compared.changedSinceScan);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"c\\b.txt"});
    // Grouped by name and size only, the user's choice stands as long as the files are as found.
    const DupeRemovalOutcome uncompared = RemoveToRecycleBin(files, false, cancel, nullptr);
    EXPECT_EQ(uncompared.removed, 2);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()),
                      {L"c\\b.txt", L"c\\a.txt", L"c\\big.bin.txt"});
}

TEST_F(Removal, AGroupWithEveryCopyCheckedLosesNothing) {
    Add(L"x\\same.txt", "same", true, 1);
    Add(L"y\\same.txt", "same", true, 1);
    Add(L"x\\other.txt", "other", true, 2);
    Add(L"y\\other.txt", "other", false, 2);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    const DupeRemovalOutcome recycled = RemoveToRecycleBin(files, true, cancel, nullptr);
    EXPECT_EQ(recycled.groupWithoutCopy, 1);
    EXPECT_EQ(recycled.removed, 1);
    EXPECT_EQ(recycled.kept, 2);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"x\\other.txt"});

    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 100,
                                   SYSTEMTIME{2026, 1, 0, 1, 1, 1, 5, 0}, archive, archivePath),
              BackupPreparation::kReady);
    const DupeRemovalOutcome backedUp = RemoveWithBackup(files, true, archive, cancel, nullptr);
    EXPECT_EQ(backedUp.groupWithoutCopy, 1);
    EXPECT_EQ(backedUp.removed, 0);
    EXPECT_EQ(backedUp.kept, 3);
    EXPECT_TRUE(backedUp.changedSinceScan) << "x\\other.txt is gone since the scan";
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"x\\other.txt"});
}

TEST_F(Removal, BackupHoldsTheFilesWithTheirLetterCaseBeforeTheyGo) {
    Add(L"Photos\\Trip\\IMG_0001.JPG", std::string(3000, 'p'), true, 1);
    Add(L"Photos\\IMG_0001.JPG", std::string(3000, 'p'), false, 1);
    Add(L"Photos\\Trip\\Notes Mixed.Txt", "notes", true, 2);
    Add(L"Photos\\Held.txt", "notes", true, 2);
    Add(L"Photos\\Kept.txt", "notes", false, 2);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    KernelHandle holder(CreateFileW((root / L"Photos\\Held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    HZIP archive = nullptr;
    CString archivePath;
    const SYSTEMTIME now = {2026, 12, 2, 9, 7, 30, 0, 0};
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 100, now, archive, archivePath),
              BackupPreparation::kReady);
    EXPECT_EQ(archivePath,
              CString((backups / L"Halvenor Pairlint- 2026120907_3000AM.zip").c_str()));
    CountingObserver observer;
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, true, archive, cancel, &observer);
    holder.Reset();
    EXPECT_EQ(outcome.archiveResult, kZipOk);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.bytesFreed, 3005u);
    EXPECT_TRUE(outcome.fileInUse);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()),
                      {L"Photos\\Trip\\IMG_0001.JPG", L"Photos\\Trip\\Notes Mixed.Txt"});

    // Entry names: the path without the drive, the folder entered once, letter case kept.
    std::string prefix;
    {
        std::wstring folder = root.Path().substr(3); // without "C:\"
        for (wchar_t& c : folder) {
            if (c == L'\\')
                c = L'/';
        }
        prefix.assign(folder.begin(), folder.end());
    }
    const ZipTestReader reader(ReadBytes(archivePath.GetString()));
    ASSERT_TRUE(reader.ok);
    ASSERT_EQ(reader.entries.size(), 3u);
    EXPECT_EQ(reader.entries[0].name, prefix + "/Photos/Trip/");
    std::string out;
    const ZipTestEntry* image = reader.Find(prefix + "/Photos/Trip/IMG_0001.JPG");
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(reader.Extract(*image, out));
    EXPECT_EQ(out, std::string(3000, 'p'));
    const ZipTestEntry* notes = reader.Find(prefix + "/Photos/Trip/Notes Mixed.Txt");
    ASSERT_NE(notes, nullptr);
    ASSERT_TRUE(reader.Extract(*notes, out));
    EXPECT_EQ(out, "notes");
}

TEST_F(Removal, AnArchiveThatCannotBeFinishedDeletesNothing) {
    Add(L"a.txt", "a", true, 1);
    Add(L"b.txt", "a", false, 1);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 2, SYSTEMTIME{2026, 1, 0, 1, 1, 1, 1, 0},
                                   archive, archivePath),
              BackupPreparation::kReady);
    ASSERT_EQ(ZipClose(archive), kZipOk); // every later addition fails
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, true, archive, cancel, nullptr);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.archiveResult, kZipAlreadyClosed);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(Removal, FileChangedAfterItsBackupStays) {
    Add(L"a.txt", "first", true, 1);
    Add(L"k\\a.txt", "first", false, 1);
    Add(L"b.txt", "other", true, 2);
    Add(L"k\\b.txt", "other", false, 2);
    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 10,
                                   SYSTEMTIME{2026, 1, 0, 1, 1, 1, 2, 0}, archive, archivePath),
              BackupPreparation::kReady);
    // When the second file is reached, the first (already in the archive) is written again.
    class Rewriter : public DupeRemovalObserver {
    public:
        explicit Rewriter(std::wstring path) : path_(std::move(path)) {}
        void OnFileStarted(const CString&) override {
            if (++started_ == 2)
                WriteFileAt(path_, "first", 1800000000);
        }
        void OnFileRemoved(int) override {}

    private:
        std::wstring path_;
        int started_ = 0;
    } rewriter(root / L"a.txt");
    TreeSnapshot expected = TakeSnapshot(root.Path());
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, true, archive, cancel, &rewriter);
    EXPECT_EQ(outcome.archiveResult, kZipOk);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_TRUE(outcome.changedSinceScan);
    ExpectOnlyRemoved(expected, TakeSnapshot(root.Path()), {L"b.txt"});
}

TEST_F(Removal, TooLittleSpaceOrNoFolderRefusesBeforeAnythingIsMade) {
    Add(L"a.txt", "a", true, 1);
    Add(L"b.txt", "a", false, 1);
    const TreeSnapshot before = TakeSnapshot(root.Path());
    HZIP archive = nullptr;
    CString archivePath;
    const SYSTEMTIME now = {2026, 1, 0, 1, 1, 1, 3, 0};
    EXPECT_EQ(PrepareBackupArchive(backups.Path().c_str(), 1ull << 62, now, archive, archivePath),
              BackupPreparation::kNotEnoughSpace);
    EXPECT_EQ(archive, nullptr);
    EXPECT_EQ(PrepareBackupArchive((backups / L"missing").c_str(), 1, now, archive, archivePath),
              BackupPreparation::kFolderMissing);
    EXPECT_EQ(PrepareBackupArchive((root / L"a.txt").c_str(), 1, now, archive, archivePath),
              BackupPreparation::kFolderMissing);
    EXPECT_EQ(PrepareBackupArchive(L"", 1, now, archive, archivePath),
              BackupPreparation::kFolderMissing);
    EXPECT_TRUE(TakeSnapshot(backups.Path()).empty());
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(Removal, ADriveRootIsABackupFolder) {
    wchar_t root[] = L"C:\\";
    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(
        PrepareBackupArchive(root, 1, SYSTEMTIME{2026, 1, 0, 1, 1, 1, 4, 0}, archive, archivePath),
        BackupPreparation::kReady);
    EXPECT_EQ(archivePath.Left(3), CString(L"C:\\"));
    EXPECT_EQ(archivePath.Find(L'\\', 3), -1) << "the archive lies in the root itself";
    ASSERT_EQ(ZipClose(archive), kZipOk);
    ZipFree(archive);
    EXPECT_TRUE(DeleteFileW(archivePath));
}

} // namespace
