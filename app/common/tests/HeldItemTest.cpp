// Items held by their literal path: the identity check against what the scan recorded after the
// tree changed, removal for good and to the Recycle Bin through the held handle (names with
// trailing dots and blanks beside their plain twins, names in any script, paths over MAX_PATH,
// read-only files, folders that filled up), and what others can do while an item is held.
// Every test compares every file's bytes before and after.
#include "HeldItem.h"
#include "LiteralPath.h"
#include "RemovalCheck.h"

#include "TestSupport.h"
#include "SafetyTestSupport.h"
#include "WineHost.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class HeldItems : public ::testing::Test {
protected:
    std::wstring At(const std::wstring& relative) const { return root.Path() + L"\\" + relative; }
    void Write(const std::wstring& relative, const std::string& bytes) {
        WriteBytes(LiteralOf(At(relative)), bytes);
    }
    void Folder(const std::wstring& relative) {
        ASSERT_TRUE(CreateDirectoryW(LiteralOf(At(relative)).c_str(), nullptr));
    }
    FileIdentity Recorded(const std::wstring& relative) {
        FileIdentity identity;
        EXPECT_EQ(ReadItemIdentity(At(relative).c_str(), identity), ItemOutcome::kDone);
        return identity;
    }
    // Later writes get later times than the record's, as they would on a real disk.
    static void LetTimePass() { Sleep(20); }

    ScratchFolder root;
};

TEST_F(HeldItems, AnUnchangedItemMatchesItsRecordAndIsHeld) {
    Write(L"a.txt", "alpha");
    const FileIdentity recorded = Recorded(L"a.txt");
    EXPECT_EQ(recorded.size, 5u);
    EXPECT_FALSE(recorded.folder);
    CHeldItem item;
    ASSERT_EQ(item.OpenAsRecorded(At(L"a.txt").c_str(), recorded, CHeldItem::Purpose::kRead),
              ItemOutcome::kDone);
    EXPECT_TRUE(item.IsHeld());
    EXPECT_TRUE(item.Identity().Matches(recorded));
    EXPECT_EQ(item.Path(), ToLiteralPath(At(L"a.txt").c_str()));
}

// Waits (bounded) until Wine's view of its drive letters agrees with `reached`: it reads its
// drive table again only a second after it last did.
void WaitForDriveTable(const std::function<bool()>& reached) {
    for (const ULONGLONG end = GetTickCount64() + 5000; !reached() && GetTickCount64() < end;)
        Sleep(50);
}

// Drive U: linked to a host folder for a test's lifetime. Wine forgets the letter before the
// folder goes, so that a later test's folder taking this one's place on the disk is never
// named by it.
class DriveU {
public:
    DriveU(const std::wstring& folder, std::function<bool()> reachedWithout)
        : link_(junktest::DosDevicesFolder() + "/u:"), reachedWithout_(std::move(reachedWithout)) {
        linked_ = junktest::RunOnHost({"/bin/ln", "-sfn", junktest::UnixPath(folder), link_});
    }
    ~DriveU() {
        if (linked_ && junktest::RunOnHost({"/bin/rm", "-f", link_}))
            WaitForDriveTable(reachedWithout_);
    }
    DriveU(const DriveU&) = delete;
    DriveU& operator=(const DriveU&) = delete;
    bool Linked() const { return linked_; }

private:
    std::string link_;
    std::function<bool()> reachedWithout_;
    bool linked_ = false;
};

// Wine asks no volume manager about a drive letter linked to a host folder: its items are still
// known by their number, and a rewrite is still told.
TEST_F(HeldItems, AnItemOnADriveWithoutAVolumeSerialIsKnownAndChecked) {
    if (!junktest::RunsOnWine())
        GTEST_SKIP() << "drive letters are linked to host folders only under Wine";
    Write(L"kept.txt", "kept bytes");
    Write(L"gone.txt", "junk bytes");
    Write(L"rewritten.txt", "old bytes");
    const DriveU drive(root.Path(), [&] {
        FileIdentity identity;
        return ReadItemIdentity(At(L"kept.txt").c_str(), identity) == ItemOutcome::kDone;
    });
    ASSERT_TRUE(drive.Linked());
    FileIdentity gone, rewritten;
    WaitForDriveTable(
        [&] { return ReadItemIdentity(L"U:\\gone.txt", gone) == ItemOutcome::kDone; });
    ASSERT_EQ(ReadItemIdentity(L"U:\\gone.txt", gone), ItemOutcome::kDone);
    ASSERT_EQ(ReadItemIdentity(L"U:\\rewritten.txt", rewritten), ItemOutcome::kDone);
    EXPECT_NE(gone.fileId, 0u);
    EXPECT_FALSE(gone.IsSameItem(rewritten));
    LetTimePass();
    Write(L"rewritten.txt", "new bytes");
    const TreeSnapshot changed = TakeSnapshot(root.Path());
    CHeldItem item;
    EXPECT_EQ(item.OpenAsRecorded(L"U:\\rewritten.txt", rewritten, CHeldItem::Purpose::kDelete),
              ItemOutcome::kChangedSinceScan);
    ASSERT_EQ(item.OpenAsRecorded(L"U:\\gone.txt", gone, CHeldItem::Purpose::kDelete),
              ItemOutcome::kDone);
    EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kDone);
    ExpectOnlyRemoved(changed, TakeSnapshot(root.Path()), {L"gone.txt"});
}

TEST_F(HeldItems, EveryChangeSinceTheScanIsToldAndNothingIsHeld) {
    for (const wchar_t* name : {L"same-size", L"grown", L"to-folder", L"replaced", L"gone"})
        Write(name, "original");
    Folder(L"scanned");
    Write(L"scanned\\f.txt", "scanned");
    const FileIdentity sameSize = Recorded(L"same-size"), grown = Recorded(L"grown"),
                       toFolder = Recorded(L"to-folder"), replaced = Recorded(L"replaced"),
                       gone = Recorded(L"gone"), inFolder = Recorded(L"scanned\\f.txt");
    LetTimePass();
    Write(L"same-size", "ORIGINAL");
    Write(L"grown", "original+");
    ASSERT_TRUE(DeleteFileW(At(L"to-folder").c_str()));
    Folder(L"to-folder");
    Write(L"to-folder\\user.txt", "user");
    ASSERT_TRUE(DeleteFileW(At(L"replaced").c_str()));
    Write(L"replaced", "original");
    ASSERT_TRUE(DeleteFileW(At(L"gone").c_str()));
    // The scanned folder renamed, and a new one of its name with a file of the same name.
    ASSERT_TRUE(MoveFileW(At(L"scanned").c_str(), At(L"renamed").c_str()));
    Folder(L"scanned");
    Write(L"scanned\\f.txt", "scanned");
    const TreeSnapshot before = TakeSnapshot(root.Path());

    const struct {
        const wchar_t* name;
        const FileIdentity& recorded;
        ItemOutcome expected;
    } cases[] = {{L"same-size", sameSize, ItemOutcome::kChangedSinceScan},
                 {L"grown", grown, ItemOutcome::kChangedSinceScan},
                 {L"to-folder", toFolder, ItemOutcome::kChangedSinceScan},
                 {L"replaced", replaced, ItemOutcome::kChangedSinceScan},
                 {L"scanned\\f.txt", inFolder, ItemOutcome::kChangedSinceScan},
                 {L"gone", gone, ItemOutcome::kGone}};
    for (const auto& change : cases) {
        for (auto purpose : {CHeldItem::Purpose::kRead, CHeldItem::Purpose::kDelete,
                             CHeldItem::Purpose::kRecycle}) {
            CHeldItem item;
            EXPECT_EQ(item.OpenAsRecorded(At(change.name).c_str(), change.recorded, purpose),
                      change.expected)
                << testing::PrintToString(std::wstring(change.name));
            EXPECT_FALSE(item.IsHeld());
        }
    }
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(HeldItems, TrailingDotsAndBlanksNameTheirOwnFileNotTheirTwin) {
    Write(L"dup.txt", "plain twin");
    Write(L"dup.txt.", "dotted");
    Write(L"sp.txt", "plain twin 2");
    Write(L"sp.txt ", "blank");
    Write(L"rec.txt", "plain twin 3");
    Write(L"rec.txt.", "dotted to the bin");
    Write(L"bin.txt", "plain twin 4");
    Write(L"bin.txt ", "blank to the bin");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    ASSERT_EQ(before.size(), 8u);

    for (const wchar_t* name : {L"dup.txt.", L"sp.txt "}) {
        CHeldItem item;
        ASSERT_EQ(
            item.OpenAsRecorded(At(name).c_str(), Recorded(name), CHeldItem::Purpose::kDelete),
            ItemOutcome::kDone);
        EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kDone);
    }
    for (const wchar_t* name : {L"rec.txt.", L"bin.txt "}) {
        CHeldItem item;
        ASSERT_EQ(
            item.OpenAsRecorded(At(name).c_str(), Recorded(name), CHeldItem::Purpose::kRecycle),
            ItemOutcome::kDone);
        EXPECT_EQ(item.MoveToRecycleBin(nullptr), ItemOutcome::kDone);
    }
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()),
                      {L"dup.txt.", L"sp.txt ", L"rec.txt.", L"bin.txt "});
}

TEST_F(HeldItems, NamesInAnyScriptAndPathsOverMaxPathAreRemoved) {
    std::wstring deep;
    for (int i = 0; i < 5; ++i) {
        deep += (i ? L"\\" : L"") + std::wstring(60, static_cast<wchar_t>(L'a' + i));
        Folder(deep);
    }
    ASSERT_GT(At(deep).size(), static_cast<size_t>(MAX_PATH));
    const std::wstring names[] = {L"\u6f22\u5b57.txt",      L"\U0001F600 smile.txt",
                                  L"cafe\u0301.txt",        deep + L"\\long one.txt",
                                  deep + L"\\long two.txt", L"\u0416\u0443\u043a.txt"};
    for (const std::wstring& name : names)
        Write(name, "bytes of " + std::to_string(name.size()));
    Write(L"caf\u00e9.txt", "precomposed twin");
    Write(deep + L"\\kept.txt", "kept");
    const TreeSnapshot before = TakeSnapshot(root.Path());

    std::set<std::wstring> removed;
    for (size_t i = 0; i < std::size(names); ++i) {
        const bool recycle = i % 2 == 1;
        CHeldItem item;
        ASSERT_EQ(item.OpenAsRecorded(At(names[i]).c_str(), Recorded(names[i]),
                                      recycle ? CHeldItem::Purpose::kRecycle
                                              : CHeldItem::Purpose::kDelete),
                  ItemOutcome::kDone)
            << i;
        EXPECT_EQ(recycle ? item.MoveToRecycleBin(nullptr) : item.DeleteForGood(),
                  ItemOutcome::kDone)
            << i;
        removed.insert(names[i]);
    }
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), removed);
}

TEST_F(HeldItems, AReadOnlyFileIsDeletedThroughItsHandle) {
    Write(L"ro.txt", "read-only");
    Write(L"other.txt", "other");
    ASSERT_TRUE(SetFileAttributesW(At(L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    const TreeSnapshot before = TakeSnapshot(root.Path());
    CHeldItem item;
    ASSERT_EQ(item.OpenAsRecorded(At(L"ro.txt").c_str(), Recorded(L"ro.txt"),
                                  CHeldItem::Purpose::kDelete),
              ItemOutcome::kDone);
    EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kDone);
    EXPECT_FALSE(item.IsHeld());
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"ro.txt"});
}

TEST_F(HeldItems, AnItemOthersHoldIsInUseAndStays) {
    Write(L"exclusive.txt", "exclusive");
    Write(L"writer.txt", "writer");
    Write(L"reader.txt", "reader");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    KernelHandle exclusive(CreateFileW(At(L"exclusive.txt").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    KernelHandle writer(CreateFileW(At(L"writer.txt").c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    KernelHandle reader(CreateFileW(At(L"reader.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive && writer && reader);
    for (auto purpose :
         {CHeldItem::Purpose::kRead, CHeldItem::Purpose::kDelete, CHeldItem::Purpose::kRecycle}) {
        CHeldItem item;
        EXPECT_EQ(item.Open(At(L"exclusive.txt").c_str(), purpose), ItemOutcome::kInUse);
        EXPECT_EQ(item.Open(At(L"writer.txt").c_str(), purpose), ItemOutcome::kInUse);
    }
    // A reader that lets others read but not delete: reading is fine, removal is not.
    CHeldItem item;
    EXPECT_EQ(item.Open(At(L"reader.txt").c_str(), CHeldItem::Purpose::kRead), ItemOutcome::kDone);
    EXPECT_EQ(item.Open(At(L"reader.txt").c_str(), CHeldItem::Purpose::kDelete),
              ItemOutcome::kInUse);
    exclusive.Reset();
    writer.Reset();
    reader.Reset();
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(HeldItems, WhileHeldNobodyWritesRenamesOrDeletesTheItem) {
    Write(L"held.txt", "held");
    Write(L"recycled.txt", "recycled");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    CHeldItem forDeletion, forRecycling;
    ASSERT_EQ(forDeletion.Open(At(L"held.txt").c_str(), CHeldItem::Purpose::kDelete),
              ItemOutcome::kDone);
    ASSERT_EQ(forRecycling.Open(At(L"recycled.txt").c_str(), CHeldItem::Purpose::kRecycle),
              ItemOutcome::kDone);
    for (const wchar_t* name : {L"held.txt", L"recycled.txt"}) {
        const KernelHandle writer(CreateFileW(
            At(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer) << testing::PrintToString(std::wstring(name));
    }
    EXPECT_FALSE(MoveFileW(At(L"held.txt").c_str(), At(L"moved.txt").c_str()));
    EXPECT_FALSE(DeleteFileW(At(L"held.txt").c_str()));
    forDeletion.Release();
    forRecycling.Release();
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(HeldItems, AFolderGoesOnlyWhileEmpty) {
    Folder(L"empty");
    Folder(L"empty-bin");
    Folder(L"filled");
    Folder(L"filled-bin");
    const FileIdentity filled = Recorded(L"filled"), filledBin = Recorded(L"filled-bin");
    for (const wchar_t* name : {L"filled", L"filled-bin"}) {
        CHeldItem item;
        ASSERT_EQ(item.Open(At(name).c_str(), CHeldItem::Purpose::kRead), ItemOutcome::kDone);
        EXPECT_TRUE(item.IsEmptyFolder());
    }
    LetTimePass();
    Write(L"filled\\user.txt", "user's file");
    Write(L"filled-bin\\user.txt", "user's other file");
    const TreeSnapshot before = TakeSnapshot(root.Path());

    CHeldItem item;
    ASSERT_EQ(item.Open(At(L"empty").c_str(), CHeldItem::Purpose::kDelete), ItemOutcome::kDone);
    EXPECT_TRUE(item.IsEmptyFolder());
    EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kDone);
    ASSERT_EQ(item.Open(At(L"empty-bin").c_str(), CHeldItem::Purpose::kRecycle),
              ItemOutcome::kDone);
    EXPECT_EQ(item.MoveToRecycleBin(nullptr), ItemOutcome::kDone);
    // Held without a check, a filled folder is still never removed with what it holds.
    ASSERT_EQ(item.Open(At(L"filled").c_str(), CHeldItem::Purpose::kDelete), ItemOutcome::kDone);
    EXPECT_FALSE(item.IsEmptyFolder());
    EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kChangedSinceScan);
    ASSERT_EQ(item.Open(At(L"filled-bin").c_str(), CHeldItem::Purpose::kRecycle),
              ItemOutcome::kDone);
    EXPECT_EQ(item.MoveToRecycleBin(nullptr), ItemOutcome::kChangedSinceScan);
    // And checked against the record, a folder that received a file has changed.
    EXPECT_EQ(item.OpenAsRecorded(At(L"filled").c_str(), filled, CHeldItem::Purpose::kDelete),
              ItemOutcome::kChangedSinceScan);
    EXPECT_EQ(
        item.OpenAsRecorded(At(L"filled-bin").c_str(), filledBin, CHeldItem::Purpose::kRecycle),
        ItemOutcome::kChangedSinceScan);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {L"empty", L"empty-bin"});
}

TEST_F(HeldItems, ManyHeldItemsGoToTheRecycleBinInOneShellOperation) {
    const std::wstring names[] = {L"one.tmp", L"two.tmp.", L"\u6f22\u5b57.tmp", L"gone-later.tmp"};
    for (const std::wstring& name : names)
        Write(name, "junk " + std::to_string(name.size()));
    Write(L"one.tmp.keep", "kept");
    Folder(L"filled");
    Write(L"filled\\user.txt", "user's file");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    CHeldItem items[std::size(names)];
    for (size_t i = 0; i < std::size(names); ++i)
        ASSERT_EQ(items[i].Open(At(names[i]).c_str(), CHeldItem::Purpose::kRecycle),
                  ItemOutcome::kDone);
    CHeldItem folder;
    ASSERT_EQ(folder.Open(At(L"filled").c_str(), CHeldItem::Purpose::kRecycle), ItemOutcome::kDone);

    std::wstring list;
    for (CHeldItem& item : items) {
        CString shellPath;
        ASSERT_EQ(item.PrepareRecycling(shellPath), ItemOutcome::kDone);
        EXPECT_TRUE(item.IsHeld()) << "held until the operation is over";
        list += std::wstring(shellPath.GetString()) + L'\0';
    }
    CString folderPath;
    EXPECT_EQ(folder.PrepareRecycling(folderPath), ItemOutcome::kChangedSinceScan);
    EXPECT_FALSE(folder.IsHeld());
    // The last one never reaches the shell: it stays, and says so.
    const size_t last = list.rfind(L'\0', list.size() - 2);
    list.resize(last + 1);
    list += L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    static_cast<void>(SHFileOperationW(&operation)); // judged by where the items are
    for (size_t i = 0; i + 1 < std::size(names); ++i)
        EXPECT_EQ(items[i].FinishRecycling(), ItemOutcome::kDone) << i;
    EXPECT_EQ(items[std::size(names) - 1].FinishRecycling(), ItemOutcome::kFailed);
    for (const CHeldItem& item : items)
        EXPECT_FALSE(item.IsHeld());
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()), {names[0], names[1], names[2]});
}

TEST_F(HeldItems, PathsThatNameAnotherItemAreRefusedAndNothingMoves) {
    Folder(L"x");
    Write(L"x\\f.txt", "f");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    for (const std::wstring& path :
         {At(L"x\\."), At(L"x\\..\\x\\f.txt"), At(L"x\\f.txt::$DATA"), std::wstring(L"x\\f.txt")}) {
        CHeldItem item;
        EXPECT_EQ(item.Open(path.c_str(), CHeldItem::Purpose::kDelete), ItemOutcome::kFailed)
            << testing::PrintToString(path);
        FileIdentity identity;
        EXPECT_EQ(ReadItemIdentity(path.c_str(), identity), ItemOutcome::kFailed);
        EXPECT_FALSE(IsPathGone(path.c_str()));
    }
    // A removal needs the purpose it was opened for.
    CHeldItem reader;
    ASSERT_EQ(reader.Open(At(L"x\\f.txt").c_str(), CHeldItem::Purpose::kRead), ItemOutcome::kDone);
    EXPECT_EQ(reader.DeleteForGood(), ItemOutcome::kFailed);
    ASSERT_EQ(reader.Open(At(L"x\\f.txt").c_str(), CHeldItem::Purpose::kDelete),
              ItemOutcome::kDone);
    EXPECT_EQ(reader.MoveToRecycleBin(nullptr), ItemOutcome::kFailed);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(HeldItems, GoneIsToldOnlyForWhatIsNotThere) {
    Write(L"here.txt", "here");
    EXPECT_FALSE(IsPathGone(At(L"here.txt").c_str()));
    EXPECT_TRUE(IsPathGone(At(L"missing.txt").c_str()));
    EXPECT_TRUE(IsPathGone(At(L"missing\\deeper.txt").c_str()));
    CHeldItem item;
    EXPECT_EQ(item.Open(At(L"missing.txt").c_str(), CHeldItem::Purpose::kRead), ItemOutcome::kGone);
}

// Removed items' fates told from their folders' listings, beside every case a listing cannot
// settle alone: a name put back by someone else, an item that was never removed, one that waits
// for another program to let it go, a name beyond plain letters, a folder gone as a whole.
TEST_F(HeldItems, ARemovalCheckTellsWhatStandsAtEachRemovedPath) {
    for (const wchar_t* name : {L"a.txt", L"B.txt", L"replaced.txt", L"kept.txt", L"waiting.txt",
                                L"spare.txt", L"\u00c4rger \u65e5\u672c.txt", L"other.txt"})
        Write(name, "bytes of " + std::to_string(std::wstring(name).size()));
    Folder(L"sub");
    Write(L"sub\\deep.txt", "deep");
    const TreeSnapshot before = TakeSnapshot(root.Path());
    CRemovalCheck check;
    const auto remove = [&](const wchar_t* name, size_t tag) {
        CHeldItem item;
        ASSERT_EQ(item.Open(At(name).c_str(), CHeldItem::Purpose::kDelete), ItemOutcome::kDone);
        const CString path = item.Path();
        const FileIdentity identity = item.Identity();
        ASSERT_EQ(item.Remove(), ItemOutcome::kDone);
        check.Add(path, identity, tag);
    };
    remove(L"a.txt", 1);
    remove(L"B.txt", 2);
    // Another file takes the name (a new one could get the number the removed one had).
    remove(L"replaced.txt", 3);
    ASSERT_TRUE(
        MoveFileW(LiteralOf(At(L"spare.txt")).c_str(), LiteralOf(At(L"replaced.txt")).c_str()));
    {
        CHeldItem kept;
        ASSERT_EQ(kept.Open(At(L"kept.txt").c_str(), CHeldItem::Purpose::kRead),
                  ItemOutcome::kDone);
        check.Add(kept.Path(), kept.Identity(), 4);
    }
    KernelHandle other(CreateFileW(At(L"waiting.txt").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    ASSERT_TRUE(other);
    remove(L"waiting.txt", 5);
    remove(L"\u00c4rger \u65e5\u672c.txt", 6);
    remove(L"sub\\deep.txt", 7);
    ASSERT_TRUE(RemoveDirectoryW(LiteralOf(At(L"sub")).c_str()));

    const std::vector<RemovalFate> fates = check.Take();
    ASSERT_EQ(fates.size(), 7u);
    const auto fateOf = [&](size_t tag) {
        for (const RemovalFate& fate : fates)
            if (fate.tag == tag)
                return std::make_pair(fate.gone, fate.vacated);
        return std::make_pair(false, false);
    };
    EXPECT_EQ(fateOf(1), std::make_pair(true, true));
    EXPECT_EQ(fateOf(2), std::make_pair(true, true));
    EXPECT_EQ(fateOf(3), std::make_pair(true, false)) << "another file stands at the path";
    EXPECT_EQ(fateOf(4), std::make_pair(false, false)) << "never removed";
    // Its name stays until the other handle closes: Windows refuses to open it meanwhile (gone),
    // Wine still opens it (not gone); never vacated.
    EXPECT_FALSE(fateOf(5).second);
    EXPECT_EQ(fateOf(6), std::make_pair(true, true));
    EXPECT_EQ(fateOf(7), std::make_pair(true, true)) << "its folder is gone too";
    EXPECT_TRUE(check.Take().empty());
    other.Reset();
    TreeSnapshot expected = before;
    for (const wchar_t* removed : {L"a.txt", L"B.txt", L"waiting.txt", L"sub", L"sub\\deep.txt",
                                   L"\u00c4rger \u65e5\u672c.txt"})
        expected.erase(removed);
    expected[L"replaced.txt"] = before.at(L"spare.txt");
    expected.erase(L"spare.txt");
    EXPECT_EQ(TakeSnapshot(root.Path()), expected);
}

TEST_F(HeldItems, AShortNameReachesItsOwnFile) {
    Folder(L"a folder with a long name");
    Write(L"a folder with a long name\\a file with a long name.txt", "long names");
    const std::wstring path = At(L"a folder with a long name\\a file with a long name.txt");
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    if (std::wstring(shortPath) == path)
        GTEST_SKIP() << "this file system gives no short names";
    const TreeSnapshot before = TakeSnapshot(root.Path());
    CHeldItem item;
    ASSERT_EQ(item.Open(shortPath, CHeldItem::Purpose::kRead), ItemOutcome::kDone);
    FileIdentity identity;
    ASSERT_EQ(ReadItemIdentity(shortPath, identity), ItemOutcome::kDone);
    EXPECT_TRUE(
        identity.Matches(Recorded(L"a folder with a long name\\a file with a long name.txt")));
    ASSERT_EQ(item.OpenAsRecorded(shortPath, identity, CHeldItem::Purpose::kDelete),
              ItemOutcome::kDone);
    EXPECT_EQ(item.DeleteForGood(), ItemOutcome::kDone);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()),
                      {L"a folder with a long name\\a file with a long name.txt"});
}

TEST_F(HeldItems, ALinkIsNeverHeldAndWhatItNamesStays) {
    if (!junktest::RunsOnWine())
        GTEST_SKIP() << "links are made through Wine's host";
    Folder(L"target");
    Write(L"target\\inside.txt", "inside");
    Write(L"file-target.txt", "file target");
    const std::string unixRoot = junktest::UnixPath(root.Path());
    ASSERT_FALSE(unixRoot.empty());
    ASSERT_TRUE(junktest::RunOnHost({"/bin/ln", "-s", unixRoot + "/target", unixRoot + "/link"}));
    // Wine shows a host link to a file as the file it names (same number, no reparse point).
    ASSERT_TRUE(junktest::RunOnHost(
        {"/bin/ln", "-s", unixRoot + "/file-target.txt", unixRoot + "/file-link.txt"}));
    const TreeSnapshot before = TakeSnapshot(root.Path());
    const FileIdentity target = Recorded(L"file-target.txt");
    for (const wchar_t* link : {L"link", L"file-link.txt", L"link\\inside.txt"}) {
        for (auto purpose : {CHeldItem::Purpose::kDelete, CHeldItem::Purpose::kRecycle}) {
            CHeldItem item;
            EXPECT_EQ(item.Open(At(link).c_str(), purpose), ItemOutcome::kChangedSinceScan)
                << testing::PrintToString(std::wstring(link));
            EXPECT_EQ(item.OpenAsRecorded(At(link).c_str(), target, purpose),
                      ItemOutcome::kChangedSinceScan);
        }
        FileIdentity identity;
        EXPECT_EQ(ReadItemIdentity(At(link).c_str(), identity), ItemOutcome::kChangedSinceScan);
    }
    // Read, a file Wine shows through a link is known by its identity alone (that of the file
    // it names, never the record of another).
    CHeldItem reader;
    FileIdentity other = target;
    other.fileId ^= 1;
    EXPECT_EQ(reader.OpenAsRecorded(At(L"file-link.txt").c_str(), other, CHeldItem::Purpose::kRead),
              ItemOutcome::kChangedSinceScan);
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
    ASSERT_TRUE(
        junktest::RunOnHost({"/bin/rm", "-f", unixRoot + "/link", unixRoot + "/file-link.txt"}));
}

} // namespace
