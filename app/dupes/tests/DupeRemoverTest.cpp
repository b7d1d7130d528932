// Removal of checked duplicates: to the Recycle Bin, and into a zip backup then for good; a
// file held open stays and is reported, a failed archive deletes nothing, too little space
// and a missing folder refuse before anything is made.
#include "DupesTestSupport.h"

#include "DupeRemover.h"
#include "ZipTestReader.h"

#include <memory>

namespace {

class Removal : public ::testing::Test {
protected:
    CDupeFile* Add(const std::wstring& relative, const std::string& bytes, bool checked) {
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
        files.push_back(record.get());
        owned.push_back(std::move(record));
        return files.back();
    }
    bool Exists(const std::wstring& relative) const {
        return GetFileAttributesW((root / relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    TempFolder root;
    TempFolder backups;
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

TEST_F(Removal, CheckedTotals) {
    Add(L"a.txt", "12345", true);
    Add(L"b.txt", "123", false);
    Add(L"c.txt", "1234567", true);
    EXPECT_EQ(CountCheckedFiles(files), 2);
    EXPECT_EQ(SumCheckedBytes(files), 12u);
}

TEST_F(Removal, RecycleBinRemovesCheckedFilesAndKeepsAHeldOne) {
    Add(L"a\\one.txt", "one", true);
    Add(L"b\\two.txt", "two!", true);
    Add(L"c\\three.txt", "three", false);
    KernelHandle holder(CreateFileW((root / L"b\\two.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CountingObserver observer;
    const DupeRemovalOutcome outcome = RemoveToRecycleBin(files, cancel, &observer);
    holder.Reset();
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.bytesFreed, 3u);
    EXPECT_TRUE(outcome.fileInUse);
    EXPECT_EQ(observer.started, 2);
    EXPECT_EQ(observer.lastRemoved, 1);
    EXPECT_FALSE(Exists(L"a\\one.txt"));
    EXPECT_TRUE(Exists(L"b\\two.txt"));
    EXPECT_TRUE(Exists(L"c\\three.txt"));
}

TEST_F(Removal, BackupHoldsTheFilesWithTheirLetterCaseBeforeTheyGo) {
    Add(L"Photos\\Trip\\IMG_0001.JPG", std::string(3000, 'p'), true);
    Add(L"Photos\\Trip\\Notes Mixed.Txt", "notes", true);
    Add(L"Photos\\Held.txt", "held", true);
    Add(L"Photos\\Kept.txt", "unchecked", false);
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
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, archive, cancel, &observer);
    holder.Reset();
    EXPECT_EQ(outcome.archiveResult, kZipOk);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.bytesFreed, 3005u);
    EXPECT_TRUE(outcome.fileInUse);
    EXPECT_FALSE(Exists(L"Photos\\Trip\\IMG_0001.JPG"));
    EXPECT_FALSE(Exists(L"Photos\\Trip\\Notes Mixed.Txt"));
    EXPECT_TRUE(Exists(L"Photos\\Held.txt"));
    EXPECT_TRUE(Exists(L"Photos\\Kept.txt"));

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
    Add(L"a.txt", "a", true);
    Add(L"b.txt", "b", true);
    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 2, SYSTEMTIME{2026, 1, 0, 1, 1, 1, 1, 0},
                                   archive, archivePath),
              BackupPreparation::kReady);
    ASSERT_EQ(ZipClose(archive), kZipOk); // every later addition fails
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, archive, cancel, nullptr);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 2);
    EXPECT_EQ(outcome.archiveResult, kZipAlreadyClosed);
    EXPECT_TRUE(Exists(L"a.txt"));
    EXPECT_TRUE(Exists(L"b.txt"));
}

TEST_F(Removal, FileChangedAfterItsBackupStays) {
    Add(L"a.txt", "first", true);
    Add(L"b.txt", "other", true);
    HZIP archive = nullptr;
    CString archivePath;
    ASSERT_EQ(PrepareBackupArchive(backups.Path().c_str(), 10,
                                   SYSTEMTIME{2026, 1, 0, 1, 1, 1, 2, 0}, archive, archivePath),
              BackupPreparation::kReady);
    // When the second file is reached, the first (already in the archive) is written again.
    class Rewriter : public DupeRemovalObserver {
    public:
        explicit Rewriter(std::wstring path) : path_(std::move(path)) {}
        void OnFileStarted(const CString& path) override {
            if (++started_ == 2)
                WriteFileAt(path_, "second, longer", 1800000000);
            (void)path;
        }
        void OnFileRemoved(int) override {}

    private:
        std::wstring path_;
        int started_ = 0;
    } rewriter(root / L"a.txt");
    const DupeRemovalOutcome outcome = RemoveWithBackup(files, archive, cancel, &rewriter);
    EXPECT_EQ(outcome.archiveResult, kZipOk);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(ReadBytes(root / L"a.txt"), "second, longer");
    EXPECT_FALSE(Exists(L"b.txt"));
}

TEST_F(Removal, TooLittleSpaceOrNoFolderRefusesBeforeAnythingIsMade) {
    Add(L"a.txt", "a", true);
    HZIP archive = nullptr;
    CString archivePath;
    const SYSTEMTIME now = {2026, 1, 0, 1, 1, 1, 3, 0};
    EXPECT_EQ(PrepareBackupArchive(backups.Path().c_str(), 1ull << 62, now, archive, archivePath),
              BackupPreparation::kNotEnoughSpace);
    EXPECT_EQ(archive, nullptr);
    EXPECT_EQ(PrepareBackupArchive((backups / L"missing").c_str(), 1, now, archive, archivePath),
              BackupPreparation::kFolderMissing);
    EXPECT_EQ(PrepareBackupArchive(L"", 1, now, archive, archivePath),
              BackupPreparation::kFolderMissing);
    WIN32_FIND_DATAW data;
    const FindHandle find(FindFirstFileW((backups / L"*.zip").c_str(), &data));
    EXPECT_FALSE(find);
    EXPECT_TRUE(Exists(L"a.txt"));
}

} // namespace
