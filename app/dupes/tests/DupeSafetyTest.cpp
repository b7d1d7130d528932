// The duplicate finder deletes only what the user checked, as it was when it was checked: the
// engine driven as its pages drive it (walk, grouping, filling, checks, removal to the Recycle
// Bin or into a backup) while the tree changes between the scan and the removal, and while the
// removal runs; names with trailing dots or blanks, in any script, and paths over MAX_PATH.
// Every test compares every file's bytes before and after.
#include "DupesTestSupport.h"

#include "DupeRemover.h"

#include <HeldItem.h>
#include <LiteralPath.h>

#include <classlib/File.h>

#include <cstring>

#include "SafetyTestSupport.h"

#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace {

enum class Way { kRecycleBin, kBackup };

class SafeRemoval : public ::testing::Test {
public:
    void SetUp() override { Fresh(); }

    // A new, empty tree and finder.
    void Fresh() {
        finder = std::make_unique<CDupeFinder>();
        finder->SetLastScanFolder(L"");
        tree = std::make_unique<ScratchFolder>();
        backups = std::make_unique<ScratchFolder>();
    }
    std::wstring At(const std::wstring& relative) const { return tree->Path() + L"\\" + relative; }
    void MakeFolder(const std::wstring& relative) {
        std::wstring path = At(relative);
        for (size_t slash = path.find(L'\\', tree->Path().size() + 1);;
             slash = path.find(L'\\', slash + 1)) {
            CreateDirectoryW(LiteralOf(path.substr(0, slash)).c_str(), nullptr);
            if (slash == std::wstring::npos)
                break;
        }
    }
    void Make(const std::wstring& relative, const std::string& bytes) {
        const size_t slash = relative.rfind(L'\\');
        if (slash != std::wstring::npos)
            MakeFolder(relative.substr(0, slash));
        WriteBytes(LiteralOf(At(relative)), bytes);
    }
    // Walks the tree and groups it as the pages do, by name and size (and content).
    void Scan(bool content) {
        DupeMatchOptions options;
        options.content = content;
        finder->Options() = options;
        WalkInto(*finder, {tree->Path()});
        GroupAndFill(*finder);
    }
    CDupeFile* Listed(const std::wstring& relative) {
        for (CDupeFile* file : finder->Duplicates(kSetAllFiles)) {
            if (SameFileName(file->GetFullPath(), At(relative).c_str()))
                return file;
        }
        return nullptr;
    }
    // Checks a listed file as the user does on the results page.
    void Check(const std::wstring& relative) {
        CDupeFile* file = Listed(relative);
        ASSERT_NE(file, nullptr) << "not listed: " << testing::PrintToString(relative);
        file->m_bRemovalMark = 1;
    }
    DupeRemovalOutcome Remove(Way way) {
        const std::vector<CDupeFile*>& all = finder->Duplicates(kSetAllFiles);
        if (way == Way::kRecycleBin)
            return RemoveToRecycleBin(all, finder->Options().content, cancel, nullptr);
        HZIP archive = nullptr;
        CString archivePath;
        SYSTEMTIME now;
        GetLocalTime(&now);
        now.wMilliseconds = 0;
        now.wSecond = static_cast<WORD>(archives++ % 60);
        EXPECT_EQ(PrepareBackupArchive(backups->Path().c_str(), SumCheckedBytes(all), now, archive,
                                       archivePath),
                  BackupPreparation::kReady);
        return RemoveWithBackup(all, finder->Options().content, archive, cancel, nullptr);
    }
    TreeSnapshot Snapshot() const { return TakeSnapshot(tree->Path()); }
    // File times a later write would not leave, as on a real disk.
    static void LetTimePass() { Sleep(20); }

    std::unique_ptr<CDupeFinder> finder;
    std::unique_ptr<ScratchFolder> tree;
    std::unique_ptr<ScratchFolder> backups;
    std::atomic<bool> cancel{false};
    int archives = 0;
};

constexpr Way kWays[] = {Way::kRecycleBin, Way::kBackup};

const char* NameOf(Way way) {
    return way == Way::kRecycleBin ? "to the Recycle Bin" : "with a backup";
}

TEST_F(SafeRemoval, CheckedCopiesChangedSinceTheScanStay) {
    for (const Way way : kWays) {
        for (const bool content : {true, false}) {
            SCOPED_TRACE(std::string(NameOf(way)) + (content ? ", contents compared" : ""));
            Fresh();
            for (const wchar_t* name :
                 {L"one.txt", L"two.txt", L"three.txt", L"four.txt", L"five.txt"}) {
                Make(std::wstring(L"a\\") + name, "the same bytes");
                Make(std::wstring(L"b\\") + name, "the same bytes");
            }
            Scan(content);
            for (const wchar_t* name :
                 {L"one.txt", L"two.txt", L"three.txt", L"four.txt", L"five.txt"})
                Check(std::wstring(L"b\\") + name);
            FILETIME written;
            {
                const KernelHandle five(CreateFileW(At(L"b\\five.txt").c_str(),
                                                    FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
                ASSERT_TRUE(GetFileTime(five.Get(), nullptr, nullptr, &written));
            }
            LetTimePass();
            Make(L"b\\one.txt", "THE SAME BYTES");                 // rewritten, same size
            Make(L"b\\two.txt", "the same bytes+");                // grown
            ASSERT_TRUE(DeleteFileW(At(L"b\\three.txt").c_str())); // replaced by a folder
            Make(L"b\\three.txt\\user.txt", "the user's file");
            // Rewritten with the same size and its last-write time put back.
            Make(L"b\\five.txt", "THE SAME BYTES");
            {
                const KernelHandle five(CreateFileW(At(L"b\\five.txt").c_str(),
                                                    FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
                ASSERT_TRUE(SetFileTime(five.Get(), nullptr, nullptr, &written));
            }
            const TreeSnapshot before = Snapshot();
            const DupeRemovalOutcome outcome = Remove(way);
            EXPECT_EQ(outcome.removed, 1);
            EXPECT_EQ(outcome.kept, 4);
            EXPECT_TRUE(outcome.changedSinceScan);
            ExpectOnlyRemoved(before, Snapshot(), {L"b\\four.txt"});
        }
    }
}

TEST_F(SafeRemoval, ARenamedScannedFolderAndANewOneOfItsNameLoseNothing) {
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Fresh();
        Make(L"scanned\\f.txt", "bytes of f");
        Make(L"kept\\f.txt", "bytes of f");
        Scan(true);
        Check(L"scanned\\f.txt");
        ASSERT_TRUE(MoveFileW(At(L"scanned").c_str(), At(L"renamed").c_str()));
        // A new folder of the old name with a file of the same name and bytes, never scanned.
        Make(L"scanned\\f.txt", "bytes of f");
        const TreeSnapshot before = Snapshot();
        const DupeRemovalOutcome outcome = Remove(way);
        EXPECT_EQ(outcome.removed, 0);
        EXPECT_TRUE(outcome.changedSinceScan);
        ExpectOnlyRemoved(before, Snapshot());
    }
}

TEST_F(SafeRemoval, AGroupRemovesOnlyAgainstAnUnchangedKeptCopy) {
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Fresh();
        // Pair: the kept copy is edited after the scan; the checked one is now the only copy
        // of the old bytes.
        Make(L"a\\pair.txt", "pair bytes");
        Make(L"b\\pair.txt", "pair bytes");
        // Three: one kept copy edited, another unchanged.
        Make(L"a\\three.txt", "three bytes");
        Make(L"b\\three.txt", "three bytes");
        Make(L"c\\three.txt", "three bytes");
        // Gone: the only kept copy was deleted.
        Make(L"a\\gone.txt", "gone bytes");
        Make(L"b\\gone.txt", "gone bytes");
        Scan(true);
        Check(L"b\\pair.txt");
        Check(L"b\\three.txt");
        Check(L"b\\gone.txt");
        LetTimePass();
        Make(L"a\\pair.txt", "PAIR BYTES");
        Make(L"a\\three.txt", "THREE BYTES");
        ASSERT_TRUE(DeleteFileW(At(L"a\\gone.txt").c_str()));
        const TreeSnapshot before = Snapshot();
        const DupeRemovalOutcome outcome = Remove(way);
        EXPECT_EQ(outcome.removed, 1);
        EXPECT_EQ(outcome.kept, 2);
        EXPECT_TRUE(outcome.changedSinceScan);
        ExpectOnlyRemoved(before, Snapshot(), {L"b\\three.txt"});
    }
}

TEST_F(SafeRemoval, TrailingDotsAndBlanksRemoveTheListedFileNotItsTwin) {
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Fresh();
        Make(L"d\\dup.txt.", "dotted copy");
        Make(L"e\\dup.txt.", "dotted copy");
        Make(L"d\\dup.txt", "plain twin, other bytes");
        Make(L"d\\sp.txt ", "blank copy");
        Make(L"e\\sp.txt ", "blank copy");
        Make(L"d\\sp.txt", "plain twin 2, other");
        Make(L"d.\\x.txt", "in a dotted folder");
        Make(L"e\\x.txt", "in a dotted folder");
        Make(L"d\\x.txt", "plain folder's twin!");
        Scan(true);
        ASSERT_EQ(finder->Duplicates(kSetAllFiles).size(), 6u);
        Check(L"d\\dup.txt.");
        Check(L"d\\sp.txt ");
        Check(L"d.\\x.txt");
        const TreeSnapshot before = Snapshot();
        const DupeRemovalOutcome outcome = Remove(way);
        EXPECT_EQ(outcome.removed, 3);
        EXPECT_EQ(outcome.kept, 0);
        ExpectOnlyRemoved(before, Snapshot(), {L"d\\dup.txt.", L"d\\sp.txt ", L"d.\\x.txt"});
    }
}

TEST_F(SafeRemoval, NamesInAnyScriptAndPathsOverMaxPathAreFoundTestedAndRemoved) {
    std::wstring deep = L"deep";
    for (int i = 0; i < 5; ++i)
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    const std::wstring names[] = {L"\u6f22\u5b57\u306e\u540d\u524d.txt", L"\U0001F600 smile.txt",
                                  L"cafe\u0301.txt", L"\u0416\u0443\u043a.txt", L"long one.txt"};
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Fresh();
        for (const std::wstring& name : names) {
            Make(L"x\\" + name, "copy of " + std::to_string(name.size()));
            Make(deep + L"\\" + name, "copy of " + std::to_string(name.size()));
        }
        Make(L"x\\caf\u00e9.txt", "precomposed, other bytes");
        ASSERT_GT(At(deep + L"\\long one.txt").size(), static_cast<size_t>(MAX_PATH));
        Scan(true);
        ASSERT_EQ(finder->Duplicates(kSetAllFiles).size(), 2 * std::size(names));
        std::set<std::wstring> removed;
        for (const std::wstring& name : names) {
            Check(deep + L"\\" + name);
            removed.insert(deep + L"\\" + name);
        }
        // One checked file held open by another program: in use through the removal's own
        // open, kept.
        Check(L"x\\\u0416\u0443\u043a.txt");
        Listed(deep + L"\\\u0416\u0443\u043a.txt")->m_bRemovalMark = 0;
        removed.erase(deep + L"\\\u0416\u0443\u043a.txt");
        const TreeSnapshot before = Snapshot();
        KernelHandle holder(CreateFileW(LiteralOf(At(L"x\\\u0416\u0443\u043a.txt")).c_str(),
                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        const DupeRemovalOutcome outcome = Remove(way);
        holder.Reset();
        EXPECT_EQ(outcome.removed, static_cast<int>(removed.size()));
        EXPECT_EQ(outcome.kept, 1);
        EXPECT_TRUE(outcome.fileInUse);
        EXPECT_FALSE(outcome.changedSinceScan);
        ExpectOnlyRemoved(before, Snapshot(), removed);
    }
}

// ---- Saved results

// A result file as bytes.
std::vector<BYTE> StoredBytes(const CDupeFinder& finder) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        finder.Store(ar);
        ar.Close();
    }
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

CDupeFinder::LoadResult LoadStored(CDupeFinder& finder, std::vector<BYTE> bytes) {
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    return finder.Load(ar);
}

// A record of `path` (below the tree) as a result file would hold it.
DupeFoundFile FoundAt(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    EXPECT_TRUE(GetFileAttributesExW(LiteralOf(path).c_str(), GetFileExInfoStandard, &data));
    DupeFoundFile found;
    found.name = path.substr(path.rfind(L'\\') + 1).c_str();
    found.attributes = data.dwFileAttributes;
    found.creationTime = data.ftCreationTime;
    found.lastWriteTime = data.ftLastWriteTime;
    found.size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return found; // without identity: a result file holds none
}

class SavedResults : public SafeRemoval {
protected:
    // The result file a scan of the tree wrote (contents compared), with the records the test
    // adds to it, `edit` applied to each record before it is written.
    template <class Edit>
    std::vector<BYTE> Craft(std::initializer_list<std::wstring> extra, Edit edit) {
        CDupeFinder source;
        source.SetLastScanFolder(L"");
        source.Options().content = true;
        WalkInto(source, {tree->Path()});
        for (const std::wstring& relative : extra) {
            const std::wstring path = At(relative);
            source.CreateDupeFileItem(FoundAt(path), path.substr(0, path.rfind(L'\\')).c_str());
        }
        for (CDupeFile* file : source.Files(kSetAllFiles))
            edit(*file);
        return StoredBytes(source);
    }
    // Loads a result file and groups it as the settings tab and the results page do, with the
    // user's criteria now being name and size only.
    CDupeFinder::LoadResult LoadAndGroup(const std::vector<BYTE>& bytes) {
        const CDupeFinder::LoadResult loaded = LoadStored(*finder, bytes);
        if (loaded != CDupeFinder::LoadResult::kLoaded)
            return loaded;
        finder->Options() = StricterCriteria(finder->Options(), DupeMatchOptions{});
        GroupAndFill(*finder);
        return loaded;
    }
    static bool Named(const CDupeFile& file, const wchar_t* tail) {
        const CString path = file.GetFullPath();
        const int length = static_cast<int>(wcslen(tail));
        return path.GetLength() >= length && SameFileName(path.Right(length), tail);
    }
};

TEST_F(SavedResults, OnlyWhatIsVerifiedAgainIsListedAndChecked) {
    Make(L"eq\\a.txt", "AAAA-1"); // two different files the result names as equal
    Make(L"eq\\b\\a.txt", "BBBB-1");
    Make(L"twice\\f.txt", "one file"); // one file under two names
    ASSERT_TRUE(
        CreateHardLinkW(At(L"twice\\hard.txt").c_str(), At(L"twice\\f.txt").c_str(), nullptr));
    Make(L"edit\\x.txt", "pair"); // a pair, one edited after the result was saved
    Make(L"edit\\y\\x.txt", "pair");
    Make(L"good\\p.txt", "good"); // a pair still as saved
    Make(L"good\\q\\p.txt", "good");
    const std::vector<BYTE> crafted = Craft({L"twice\\hard.txt"}, [](CDupeFile& file) {
        // Every digest the same and every non-first copy checked.
        std::memset(file.m_digest, 0x5A, sizeof file.m_digest);
        file.m_digestState = CDupeFile::DigestState::kDone;
        file.m_bRemovalMark = Named(file, L"eq\\b\\a.txt") || Named(file, L"twice\\hard.txt") ||
                              Named(file, L"edit\\y\\x.txt") || Named(file, L"good\\q\\p.txt");
    });
    LetTimePass();
    Make(L"edit\\y\\x.txt", "PAIR");
    const TreeSnapshot before = Snapshot();

    ASSERT_EQ(LoadAndGroup(crafted), CDupeFinder::LoadResult::kLoaded);
    EXPECT_TRUE(finder->Options().content) << "the saved criteria still hold";
    std::set<std::wstring> listed;
    for (const CDupeFile* file : finder->Duplicates(kSetAllFiles)) {
        listed.insert(
            file->GetFullPath().Mid(static_cast<int>(tree->Path().size()) + 1).GetString());
        EXPECT_EQ(file->m_bRemovalMark != 0, Named(*file, L"good\\q\\p.txt"));
    }
    EXPECT_EQ(listed, (std::set<std::wstring>{L"good\\p.txt", L"good\\q\\p.txt"}));
    for (const Way way : kWays) {
        const DupeRemovalOutcome outcome = Remove(way);
        EXPECT_EQ(outcome.removed, way == Way::kRecycleBin ? 1 : 0);
    }
    ExpectOnlyRemoved(before, Snapshot(), {L"good\\q\\p.txt"});
}

TEST_F(SavedResults, ARecordOutsideTheScannedLocationsOrDamageRefusesTheWholeFile) {
    Make(L"in\\a.txt", "same");
    Make(L"in\\b\\a.txt", "same");
    Make(L"out\\a.txt", "same");
    // What the page holds now stays when a file is refused.
    Scan(true);
    const size_t held = finder->Duplicates(kSetAllFiles).size();
    ASSERT_EQ(held, 3u);
    const TreeSnapshot before = Snapshot();

    CDupeFinder source;
    source.SetLastScanFolder(L"");
    WalkInto(source, {At(L"in")});
    const std::wstring outside = At(L"out\\a.txt");
    source.CreateDupeFileItem(FoundAt(outside), outside.substr(0, outside.rfind(L'\\')).c_str());
    for (CDupeFile* file : source.Files(kSetAllFiles))
        file->m_bRemovalMark = 1;
    EXPECT_EQ(LoadStored(*finder, StoredBytes(source)), CDupeFinder::LoadResult::kOutsideLocations);
    // The same file named twice, once through "x\." and once through "y\..\x".
    for (const wchar_t* folder : {L"in\\.", L"in\\b\\..\\b"}) {
        CDupeFinder twice;
        twice.SetLastScanFolder(L"");
        WalkInto(twice, {At(L"in")});
        const std::wstring path = At(std::wstring(folder) + L"\\a.txt");
        DupeFoundFile found = FoundAt(At(L"in\\a.txt"));
        twice.CreateDupeFileItem(found, path.substr(0, path.rfind(L'\\')).c_str());
        EXPECT_EQ(LoadStored(*finder, StoredBytes(twice)),
                  CDupeFinder::LoadResult::kOutsideLocations);
    }
    std::vector<BYTE> damaged = StoredBytes(source);
    damaged.resize(damaged.size() / 2);
    EXPECT_EQ(LoadStored(*finder, damaged), CDupeFinder::LoadResult::kDamaged);
    EXPECT_EQ(finder->Duplicates(kSetAllFiles).size(), held);
    ExpectOnlyRemoved(before, Snapshot());
}

// Another program changing files while the removal runs: it writes checked files in place
// (from the start or grown at the end), and moves kept copies aside, writing a new file in
// their place; where the removal holds files for deleting for good it moves checked ones aside
// too. (The move to the Recycle Bin hands the shell a path checked to reach the held file; a
// rename in that instant is left to the shell's own open.) It only destroys content it made
// itself, so every original and every content it made last at a place must survive.
class ChangingProgram {
public:
    ChangingProgram(SafeRemoval& test, const std::vector<std::wstring>& checked,
                    const std::vector<std::wstring>& kept, bool moveChecked, unsigned seed)
        : test_(test), checked_(checked), kept_(kept), moveChecked_(moveChecked), random_(seed) {}

    void Run(const std::atomic<bool>& done) {
        while (!done)
            ChangeOne();
    }
    // What must still be somewhere in the tree.
    std::set<std::string> MustSurvive() const {
        std::set<std::string> contents = asideContents_;
        for (const auto& [path, bytes] : lastContent_)
            contents.insert(bytes);
        return contents;
    }
    int Changes() const { return changes_; }

private:
    void ChangeOne() {
        const bool onKept = random_() % 3 == 0;
        const std::wstring path =
            onKept ? kept_[random_() % kept_.size()] : checked_[random_() % checked_.size()];
        const std::string unique = "made " + std::to_string(++serial_) + " by the other program";
        if (onKept || (moveChecked_ && random_() % 3 == 0)) {
            const std::wstring aside = L"aside\\" + std::to_wstring(serial_);
            if (!MoveFileW(LiteralOf(test_.At(path)).c_str(), LiteralOf(test_.At(aside)).c_str()))
                return;
            if (const auto known = lastContent_.find(path); known != lastContent_.end()) {
                asideContents_.insert(known->second);
                lastContent_.erase(known);
            }
            const KernelHandle file(CreateFileW(LiteralOf(test_.At(path)).c_str(), GENERIC_WRITE, 0,
                                                nullptr, CREATE_NEW, 0, nullptr));
            DWORD written = 0;
            if (file && WriteFile(file.Get(), unique.data(), static_cast<DWORD>(unique.size()),
                                  &written, nullptr)) {
                lastContent_[path] = unique;
                ++changes_;
            }
            return;
        }
        const KernelHandle file(CreateFileW(LiteralOf(test_.At(path)).c_str(),
                                            GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file)
            return;
        if (random_() % 2 == 0) {
            LARGE_INTEGER end = {};
            SetFilePointerEx(file.Get(), end, nullptr, FILE_END);
        }
        DWORD done = 0;
        if (!WriteFile(file.Get(), unique.data(), static_cast<DWORD>(unique.size()), &done,
                       nullptr))
            return;
        // What the file holds now, read while this program still holds it.
        LARGE_INTEGER start = {};
        SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN);
        std::string bytes(8192, '\0');
        DWORD read = 0;
        if (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            bytes.resize(read);
            lastContent_[path] = bytes;
            ++changes_;
        }
    }

    SafeRemoval& test_;
    const std::vector<std::wstring>& checked_;
    const std::vector<std::wstring>& kept_;
    bool moveChecked_;
    std::mt19937 random_;
    int serial_ = 0;
    int changes_ = 0;
    std::map<std::wstring, std::string> lastContent_;
    std::set<std::string> asideContents_;
};

TEST_F(SafeRemoval, ChangesWhileTheRemovalRunsLoseNothing) {
    constexpr int kGroups = 80;
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Fresh();
        // Each group: a kept copy and two checked ones, all equal.
        std::vector<std::wstring> checked, keptCopies;
        std::set<std::string> originals;
        for (int g = 0; g < kGroups; ++g) {
            const std::string bytes = "group " + std::to_string(g) + std::string(3000 + g, 'g');
            const std::wstring name = L"f" + std::to_wstring(g) + L".txt";
            for (const wchar_t* folder : {L"keep\\", L"one\\", L"two\\"})
                Make(folder + name, bytes);
            keptCopies.push_back(L"keep\\" + name);
            checked.push_back(L"one\\" + name);
            checked.push_back(L"two\\" + name);
            originals.insert(bytes);
        }
        Scan(true);
        ASSERT_EQ(finder->Duplicates(kSetAllFiles).size(), 3u * kGroups);
        for (const std::wstring& path : checked)
            Check(path);
        MakeFolder(L"aside");

        ChangingProgram other(*this, checked, keptCopies, way == Way::kBackup,
                              way == Way::kBackup ? 2u : 1u);
        std::atomic<bool> done{false};
        std::thread changer([&] { other.Run(done); });
        const DupeRemovalOutcome outcome = Remove(way);
        done = true;
        changer.join();
        EXPECT_EQ(outcome.removed + outcome.kept, 2 * kGroups);
        EXPECT_GT(other.Changes(), 0);

        std::set<std::string> present;
        for (const auto& [path, bytes] : Snapshot())
            present.insert(bytes);
        for (const std::string& bytes : originals)
            EXPECT_TRUE(present.count(bytes)) << "an original content was lost";
        for (const std::string& bytes : other.MustSurvive())
            EXPECT_TRUE(present.count(bytes)) << "lost what the other program made";
    }
}

} // namespace
