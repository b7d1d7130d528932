// Folder listings with identities: what the listing gives for each item must be exactly what an
// open of the item reads (or the walks would record identities that never match at removal), an
// item changed or replaced after the listing must no longer match, and every entry is listed
// once, whatever the folder's size, its path's length or its names. Every test compares every
// file's bytes before and after.
#include "FolderListing.h"
#include "HeldItem.h"
#include "LiteralPath.h"

#include "SafetyTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

class FolderListings : public ::testing::Test {
protected:
    std::wstring At(const std::wstring& relative) const { return root.Path() + L"\\" + relative; }
    void Write(const std::wstring& relative, const std::string& bytes) {
        WriteBytes(LiteralOf(At(relative)), bytes);
    }
    // The listing of a folder below the root (the root itself for ""), by name.
    std::map<std::wstring, ListedItem> List(const std::wstring& relative, bool withSerial = true) {
        const std::wstring folder = relative.empty() ? root.Path() : At(relative);
        DWORD serial = 0;
        EXPECT_TRUE(ReadFolderVolumeSerial(folder.c_str(), serial));
        std::vector<ListedItem> items;
        EXPECT_TRUE(ListFolderItems(folder.c_str(), withSerial ? &serial : nullptr, items));
        std::map<std::wstring, ListedItem> byName;
        for (const ListedItem& item : items)
            EXPECT_TRUE(byName.emplace(item.name.GetString(), item).second)
                << "listed twice: " << testing::PrintToString(std::wstring(item.name));
        return byName;
    }
    // Later writes get later times than the listing's, as they would on a real disk.
    static void LetTimePass() { Sleep(20); }

    ScratchFolder root;
};

TEST_F(FolderListings, ListedIdentitiesAreWhatAnOpenReads) {
    Write(L"a.txt", "alpha");
    Write(L"big.bin", std::string(70000, 'b'));
    Write(L"ro.txt", "read only");
    ASSERT_TRUE(SetFileAttributesW(LiteralOf(At(L"ro.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
    Write(L"dot.txt.", "trailing dot");
    Write(L"dot.txt", "its twin");
    Write(L"\u7a7a\u767d \U0001F600.txt", "any script");
    ASSERT_TRUE(CreateDirectoryW(LiteralOf(At(L"sub")).c_str(), nullptr));
    Write(L"sub\\inner.txt", "inner");
    const TreeSnapshot before = TakeSnapshot(root.Path());

    const auto listed = List(L"");
    const std::set<std::wstring> expected = {
        L"a.txt", L"big.bin", L"ro.txt", L"dot.txt.", L"dot.txt", L"\u7a7a\u767d \U0001F600.txt",
        L"sub"};
    std::set<std::wstring> names;
    for (const auto& [name, item] : listed)
        names.insert(name);
    EXPECT_EQ(names, expected); // no "." or "..", names as they are
    for (const auto& [name, item] : listed) {
        SCOPED_TRACE(testing::PrintToString(name));
        ASSERT_TRUE(item.identified);
        FileIdentity opened;
        ASSERT_EQ(ReadItemIdentity(At(name).c_str(), opened), ItemOutcome::kDone);
        EXPECT_TRUE(opened.Matches(item.identity));
        EXPECT_NE(item.identity.fileId, 0u);
        EXPECT_EQ(item.identity.attributes, opened.attributes);
        EXPECT_EQ(item.identity.creationTime, opened.creationTime);
        EXPECT_NE(item.identity.changeTime, 0u);
    }
    EXPECT_EQ(listed.at(L"big.bin").identity.size, 70000u);
    EXPECT_TRUE(listed.at(L"sub").identity.folder);
    EXPECT_EQ(listed.at(L"sub").identity.size, 0u);
    EXPECT_FALSE(listed.at(L"dot.txt.").identity.IsSameItem(listed.at(L"dot.txt").identity));
    EXPECT_TRUE(listed.at(L"ro.txt").identity.attributes & FILE_ATTRIBUTE_READONLY);

    // Without the volume's serial nothing is an identity, though every other fact is there.
    for (const auto& [name, item] : List(L"", false)) {
        EXPECT_FALSE(item.identified);
        EXPECT_EQ(item.identity.size, listed.at(name).identity.size);
    }
    ASSERT_TRUE(SetFileAttributesW(LiteralOf(At(L"ro.txt")).c_str(), FILE_ATTRIBUTE_NORMAL));
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(FolderListings, AnItemChangedOrReplacedAfterTheListingNoLongerMatches) {
    for (const wchar_t* name : {L"kept.txt", L"rewritten.txt", L"grown.txt", L"replaced.txt",
                                L"became-folder.txt", L"renamed-in.txt"})
        Write(name, "original bytes");
    Write(L"other.txt", "other content!"); // the same size as the others
    const auto listed = List(L"");
    LetTimePass();
    Write(L"rewritten.txt", "other bytes!!!"); // same size, other content
    Write(L"grown.txt", "original bytes and more");
    ASSERT_TRUE(DeleteFileW(LiteralOf(At(L"replaced.txt")).c_str()));
    Write(L"replaced.txt", "original bytes"); // a new file with the old bytes
    ASSERT_TRUE(DeleteFileW(LiteralOf(At(L"became-folder.txt")).c_str()));
    ASSERT_TRUE(CreateDirectoryW(LiteralOf(At(L"became-folder.txt")).c_str(), nullptr));
    Write(L"became-folder.txt\\user.txt", "a user's file");
    ASSERT_TRUE(DeleteFileW(LiteralOf(At(L"renamed-in.txt")).c_str()));
    ASSERT_TRUE(
        MoveFileW(LiteralOf(At(L"other.txt")).c_str(), LiteralOf(At(L"renamed-in.txt")).c_str()));
    const TreeSnapshot before = TakeSnapshot(root.Path());

    const auto outcome = [&](const std::wstring& name) {
        CHeldItem item;
        return item.OpenAsRecorded(At(name).c_str(), listed.at(name).identity,
                                   CHeldItem::Purpose::kDelete);
    };
    EXPECT_EQ(outcome(L"kept.txt"), ItemOutcome::kDone);
    for (const wchar_t* name :
         {L"rewritten.txt", L"grown.txt", L"replaced.txt", L"became-folder.txt", L"renamed-in.txt"})
        EXPECT_EQ(outcome(name), ItemOutcome::kChangedSinceScan) << testing::PrintToString(name);
    // Nothing was removed: a held item is removed only when asked to.
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(FolderListings, EveryEntryOfALargeFolderAtALongPathIsListedOnce) {
    // Deep enough to pass MAX_PATH, with more entries than one read of the listing holds.
    std::wstring deep;
    for (int level = 0; level < 5; ++level) {
        deep += (deep.empty() ? L"" : L"\\") + std::wstring(60, static_cast<wchar_t>(L'a' + level));
        ASSERT_TRUE(CreateDirectoryW(LiteralOf(At(deep)).c_str(), nullptr));
    }
    ASSERT_GT(At(deep).size(), static_cast<size_t>(MAX_PATH));
    constexpr int kFiles = 1200;
    std::set<std::wstring> written;
    for (int i = 0; i < kFiles; ++i) {
        const std::wstring name = L"entry-" + std::to_wstring(i) + std::wstring(80, L'x') + L".dat";
        Write(deep + L"\\" + name, std::string(static_cast<size_t>(i % 7), 'z'));
        written.insert(name);
    }
    const TreeSnapshot before = TakeSnapshot(root.Path());
    const auto listed = List(deep);
    std::set<std::wstring> names;
    for (const auto& [name, item] : listed) {
        names.insert(name);
        EXPECT_TRUE(item.identified);
    }
    EXPECT_EQ(names, written);
    const std::wstring sample = L"entry-1000" + std::wstring(80, L'x') + L".dat";
    FileIdentity opened;
    ASSERT_EQ(ReadItemIdentity(At(deep + L"\\" + sample).c_str(), opened), ItemOutcome::kDone);
    EXPECT_TRUE(opened.Matches(listed.at(sample).identity));
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(FolderListings, EmptyMissingAndMalformedFolders) {
    ASSERT_TRUE(CreateDirectoryW(LiteralOf(At(L"empty")).c_str(), nullptr));
    std::vector<ListedItem> items(3);
    EXPECT_TRUE(ListFolderItems(At(L"empty").c_str(), nullptr, items));
    EXPECT_TRUE(items.empty());
    items.resize(2);
    EXPECT_FALSE(ListFolderItems(At(L"missing").c_str(), nullptr, items));
    EXPECT_TRUE(items.empty());
    // Paths that would reach some other folder than they name are never listed.
    EXPECT_FALSE(ListFolderItems(L"relative\\folder", nullptr, items));
    EXPECT_FALSE(ListFolderItems((At(L"empty") + L"\\..").c_str(), nullptr, items));
    DWORD serial = 0;
    EXPECT_FALSE(ReadFolderVolumeSerial(At(L"missing").c_str(), serial));

    // A file's volume is its folder's.
    Write(L"empty\\f.txt", "f");
    FileIdentity file;
    ASSERT_EQ(ReadItemIdentity(At(L"empty\\f.txt").c_str(), file), ItemOutcome::kDone);
    ASSERT_TRUE(ReadFolderVolumeSerial(At(L"empty").c_str(), serial));
    EXPECT_EQ(serial, file.volumeSerial);
}

} // namespace
