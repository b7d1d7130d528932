// Grouping of the duplicate finder: each criterion and their combinations on made-up records,
// and content, empty files, the size limit, unreadable files and files reached twice on
// generated trees, and how much of each file the content comparison reads.
#include "DupesTestSupport.h"
#include "SafetyTestSupport.h"

#include <HeldItem.h>

#include <MD5Checksum.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

ULONGLONG g_nextFileId = 1;

DupeFoundFile Found(const wchar_t* name, ULONGLONG size, LONGLONG written = 1700000000,
                    LONGLONG created = 1600000000) {
    DupeFoundFile found;
    found.name = name;
    found.size = size;
    found.lastWriteTime = FileTimeOf(written);
    found.creationTime = FileTimeOf(created);
    found.identity = DupeFileIdentity{FileIdentity{7, g_nextFileId++}, true};
    return found;
}

// The groups of the all-files set after GroupFiles, as "folder\name" texts.
std::vector<std::set<std::wstring>> GroupedNow(CDupeFinder& finder, DupeSet set) {
    std::vector<std::set<std::wstring>> groups;
    for (const CDupeGroup& group : finder.Groups(set)) {
        std::set<std::wstring> members;
        for (size_t i = group.first; i < group.first + group.count; ++i)
            members.insert(finder.Files(set)[i]->GetFullPath().GetString());
        groups.push_back(members);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

class MadeUpRecords : public ::testing::Test {
protected:
    void SetUp() override {
        finder.SetLastScanFolder(L"");
        finder.SetKeepRunning(true);
        finder.Options() = DupeMatchOptions{};
        finder.Options().content = false;
        // Same name and size in a, b and c; c written later; d same name, other size;
        // e other name, same size; f created later than a.
        finder.CreateDupeFileItem(Found(L"Report.doc", 100, 1000), L"C:\\a");
        finder.CreateDupeFileItem(Found(L"report.DOC", 100, 1000), L"C:\\b");
        finder.CreateDupeFileItem(Found(L"report.doc", 100, 2000), L"C:\\c");
        finder.CreateDupeFileItem(Found(L"report.doc", 200, 1000), L"C:\\d");
        finder.CreateDupeFileItem(Found(L"other.doc", 100, 1000), L"C:\\e");
        finder.CreateDupeFileItem(Found(L"report.doc", 100, 1000, 1650000000), L"C:\\f");
    }
    std::vector<std::set<std::wstring>> Group() {
        finder.DeleteGroups();
        finder.GroupFiles(kSetAllFiles);
        return GroupedNow(finder, kSetAllFiles);
    }
    CDupeFinder finder;
};

TEST_F(MadeUpRecords, NameAndSizeGroupNamesThatDifferOnlyInLetterCase) {
    EXPECT_EQ(Group(),
              (std::vector<std::set<std::wstring>>{{L"C:\\a\\Report.doc", L"C:\\b\\report.DOC",
                                                    L"C:\\c\\report.doc", L"C:\\f\\report.doc"}}));
}

TEST_F(MadeUpRecords, EachCriterionAlone) {
    finder.Options() = DupeMatchOptions{false, false, false, false, false, false, true};
    finder.Options().name = true;
    EXPECT_EQ(Group().size(), 1u);
    EXPECT_EQ(Group()[0].size(), 5u); // every report.doc

    finder.Options().name = false;
    finder.Options().size = true;
    EXPECT_EQ(Group(), (std::vector<std::set<std::wstring>>{
                           {L"C:\\a\\Report.doc", L"C:\\b\\report.DOC", L"C:\\c\\report.doc",
                            L"C:\\e\\other.doc", L"C:\\f\\report.doc"}}));

    finder.Options().size = false;
    finder.Options().lastWriteTime = true;
    EXPECT_EQ(Group(), (std::vector<std::set<std::wstring>>{
                           {L"C:\\a\\Report.doc", L"C:\\b\\report.DOC", L"C:\\d\\report.doc",
                            L"C:\\e\\other.doc", L"C:\\f\\report.doc"}}));

    finder.Options().lastWriteTime = false;
    finder.Options().creationTime = true;
    EXPECT_EQ(Group(), (std::vector<std::set<std::wstring>>{
                           {L"C:\\a\\Report.doc", L"C:\\b\\report.DOC", L"C:\\c\\report.doc",
                            L"C:\\d\\report.doc", L"C:\\e\\other.doc"}}));
}

TEST_F(MadeUpRecords, CombinedCriteriaNarrowTheGroups) {
    finder.Options() = DupeMatchOptions{true, true, false, true, false, false, true};
    EXPECT_EQ(Group(), (std::vector<std::set<std::wstring>>{
                           {L"C:\\a\\Report.doc", L"C:\\b\\report.DOC", L"C:\\f\\report.doc"}}));
    finder.Options().creationTime = true;
    EXPECT_EQ(Group(),
              (std::vector<std::set<std::wstring>>{{L"C:\\a\\Report.doc", L"C:\\b\\report.DOC"}}));
}

TEST_F(MadeUpRecords, EveryCriterionOffMakesOneGroupPerSet) {
    finder.Options() = DupeMatchOptions{false, false, false, false, false, false, true};
    EXPECT_EQ(Group().size(), 1u);
    EXPECT_EQ(finder.Groups(kSetAllFiles)[0].count, 6u);
    finder.GroupFiles(kSetDocument);
    ASSERT_EQ(finder.Groups(kSetDocument).size(), 1u);
    EXPECT_EQ(finder.Groups(kSetDocument)[0].count, 6u);
}

struct GroupingReport {
    std::vector<std::pair<BOOL, int>> calls;
    int steps = 0;
};

void RecordCall(BOOL done, int percent, LPVOID user) {
    static_cast<GroupingReport*>(user)->calls.emplace_back(done, percent);
}

void RecordStep(LPVOID user) {
    ++static_cast<GroupingReport*>(user)->steps;
}

TEST_F(MadeUpRecords, GroupingReportsItsStepsAndEndsWithDone) {
    GroupingReport report;
    finder.SetGroupingStepHook(&RecordStep, &report);
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(&RecordCall, &report, true));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    // The all-files set and the document set hold two or more records each.
    EXPECT_EQ(report.steps, 2);
    ASSERT_FALSE(report.calls.empty());
    EXPECT_EQ(report.calls.back(), std::make_pair(TRUE, 100));
    for (size_t i = 0; i + 1 < report.calls.size(); ++i)
        EXPECT_FALSE(report.calls[i].first);
    EXPECT_EQ(finder.Groups(kSetAllFiles).size(), 1u);
    EXPECT_EQ(finder.Groups(kSetDocument).size(), 1u);
}

TEST(DupeRecords, OneRecordGetsNoGroup) {
    CDupeFinder finder;
    finder.SetKeepRunning(true);
    finder.CreateDupeFileItem(Found(L"a.txt", 5), L"C:\\x");
    finder.GroupFiles(kSetAllFiles);
    EXPECT_TRUE(finder.Groups(kSetAllFiles).empty());
}

TEST(DupeRecords, FileTypesPickTheirSets) {
    EXPECT_EQ(DupeCategoryOfName(L"CLIP.AVI"), kDupeVideo);
    EXPECT_EQ(DupeCategoryOfName(L"song.mp3"), kDupeMusic);
    EXPECT_EQ(DupeCategoryOfName(L"a.b.Jpeg"), kDupeImage);
    EXPECT_EQ(DupeCategoryOfName(L"x.tar.gz"), kDupeCompressed);
    EXPECT_EQ(DupeCategoryOfName(L"notes.TXT"), kDupeDocument);
    EXPECT_EQ(DupeCategoryOfName(L"data.xyz"), kDupeOther);
    EXPECT_EQ(DupeCategoryOfName(L"README"), kDupeOther);

    CDupeFinder finder;
    finder.CreateDupeFileItem(Found(L"CLIP.AVI", 5), L"C:\\x");
    finder.CreateDupeFileItem(Found(L"data.xyz", 5), L"C:\\x");
    EXPECT_EQ(finder.Files(kSetVideo).size(), 1u);
    EXPECT_EQ(finder.Files(kSetMusic).size(), 0u);
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 2u);
    EXPECT_EQ(finder.TotalRecords(), 3u);
}

TEST(DupeRecords, SearchedTypesAndEmptyFiles) {
    CDupeFinder finder;
    finder.SetSearchedTypes({kDupeImage});
    EXPECT_FALSE(finder.CreateDupeFileItem(Found(L"a.txt", 5), L"C:\\x"));
    EXPECT_FALSE(finder.CreateDupeFileItem(Found(L"a.xyz", 5), L"C:\\x"));
    EXPECT_TRUE(finder.CreateDupeFileItem(Found(L"a.png", 5), L"C:\\x"));
    finder.SetSearchedTypes({});
    finder.Options().content = true;
    EXPECT_FALSE(finder.CreateDupeFileItem(Found(L"empty.txt", 0), L"C:\\x"));
    finder.Options().content = false;
    EXPECT_TRUE(finder.CreateDupeFileItem(Found(L"empty.txt", 0), L"C:\\x"));
}

TEST(DupeRecords, OneFileIsRecordedOnce) {
    CDupeFinder finder;
    DupeFoundFile file = Found(L"a.txt", 5);
    EXPECT_TRUE(finder.CreateDupeFileItem(file, L"C:\\x"));
    // The same file by another path (same volume and file number).
    EXPECT_FALSE(finder.CreateDupeFileItem(file, L"C:\\y"));
    // Files without identity are told apart by their path.
    file.identity = DupeFileIdentity{};
    EXPECT_TRUE(finder.CreateDupeFileItem(file, L"C:\\z"));
    EXPECT_FALSE(finder.CreateDupeFileItem(file, L"c:\\Z"));
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 2u);
}

// ---- Generated trees

class DupeTree : public ::testing::Test {
protected:
    void SetUp() override {
        finder.SetLastScanFolder(L"");
        finder.Options() = DupeMatchOptions{};
    }
    std::wstring Path(const std::wstring& relative) const { return root / relative; }
    void Make(const std::wstring& relative, const std::string& bytes,
              LONGLONG written = 1700000000) {
        const std::wstring path = Path(relative);
        MakeFoldersBelow(root.Path(), path);
        WriteFileAt(path, bytes, written);
    }
    std::set<std::wstring> Lowered(std::initializer_list<std::wstring> relatives) const {
        std::set<std::wstring> paths;
        for (const auto& relative : relatives)
            paths.insert(Lower(Path(relative)));
        return paths;
    }
    TempFolder root;
    CDupeFinder finder;
};

TEST_F(DupeTree, ContentSplitsEqualSizesWithDifferentBytes) {
    Make(L"a\\one.txt", "same bytes 1");
    Make(L"b\\two.txt", "same bytes 1");
    Make(L"c\\three.txt", "same bytes 2");
    Make(L"d\\four.txt", "same bytes 2");
    Make(L"e\\five.txt", "other bytes!");
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    auto groups = GroupsOf(finder, kSetAllFiles);
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups,
              (std::vector<std::set<std::wstring>>{Lowered({L"a\\one.txt", L"b\\two.txt"}),
                                                   Lowered({L"c\\three.txt", L"d\\four.txt"})}));
    EXPECT_EQ(GroupsOf(finder, kSetDocument).size(), 2u);
    for (const CDupeFile* file : finder.Duplicates(kSetAllFiles))
        EXPECT_NE(file->m_nSecondGroup, -1);
}

TEST_F(DupeTree, NearDuplicatesNeverGroupWhileContentsAreCompared) {
    // Three blocks and a bit; copies one byte apart in the first, a middle and the last block,
    // so that their first and last blocks are equal where the middle one differs.
    const size_t size = 3 * CFileDigester::kBlockBytes + 17;
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7) % 26);
    Make(L"base.txt", bytes);
    for (const size_t at :
         {size_t{0}, size_t{CFileDigester::kBlockBytes + 5}, size / 2, size - 1}) {
        std::string almost = bytes;
        almost[at] ^= 1;
        Make(L"near" + std::to_wstring(at) + L".txt", almost);
    }
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    EXPECT_TRUE(finder.Duplicates(kSetAllFiles).empty());
}

// The state each record's content reading ended in, by lower-case path, after a grouping.
std::map<std::wstring, CDupeFile::DigestState> DigestStates(const CDupeFinder& finder) {
    std::map<std::wstring, CDupeFile::DigestState> states;
    for (const CDupeFile* file : finder.Files(kSetAllFiles))
        states[Lower(file->GetFullPath().GetString())] = file->m_digestState;
    return states;
}

std::string Pattern(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + static_cast<size_t>(seed)) % 26);
    return bytes;
}

TEST_F(DupeTree, FirstBytesSpareReadingOnlyFilesTheyTellApart) {
    constexpr size_t first = CDupeFinder::kFirstBlockBytes;
    const size_t size = 2 * first + 3;
    const std::string bytes = Pattern(size, 0);
    const auto differingAt = [&](size_t at) {
        std::string almost = bytes;
        almost[at] ^= 1;
        return almost;
    };
    Make(L"copy1.dat", bytes);
    Make(L"copy2.dat", bytes);
    Make(L"at0.dat", differingAt(0));
    Make(L"lastOfFirst.dat", differingAt(first - 1));
    Make(L"afterFirst.dat", differingAt(first)); // shares the first bytes: read on
    Make(L"pairA.dat", differingAt(size - 1));
    Make(L"pairB.dat", differingAt(size - 1));
    // Files that fit in the first bytes are read whole at once, told apart or not.
    Make(L"small1.txt", Pattern(100, 1));
    Make(L"small2.txt", Pattern(100, 1));
    Make(L"small3.txt", Pattern(100, 2));
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, false};
    WalkInto(finder, {root.Path()});
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(120000));
    using State = CDupeFile::DigestState;
    const auto states = DigestStates(finder);
    EXPECT_EQ(states.at(Lower(Path(L"at0.dat"))), State::kDistinct);
    EXPECT_EQ(states.at(Lower(Path(L"lastOfFirst.dat"))), State::kDistinct);
    for (const wchar_t* read : {L"copy1.dat", L"copy2.dat", L"afterFirst.dat", L"pairA.dat",
                                L"pairB.dat", L"small1.txt", L"small2.txt", L"small3.txt"})
        EXPECT_EQ(states.at(Lower(Path(read))), State::kDone) << testing::PrintToString(read);
    finder.FillSortedDupeFiles();
    auto groups = GroupsOf(finder, kSetAllFiles);
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups,
              (std::vector<std::set<std::wstring>>{Lowered({L"copy1.dat", L"copy2.dat"}),
                                                   Lowered({L"pairA.dat", L"pairB.dat"}),
                                                   Lowered({L"small1.txt", L"small2.txt"})}));

    // A new grouping reads the distinct ones again (another run may hold their twin by then).
    Make(L"at0-twin.dat", differingAt(0));
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    groups = GroupsOf(finder, kSetAllFiles);
    EXPECT_EQ(std::count(groups.begin(), groups.end(), Lowered({L"at0.dat", L"at0-twin.dat"})), 1);
}

TEST_F(DupeTree, ARunLongerThanTheFilesHeldAtOnceIsStillSplitByContent) {
    constexpr size_t count = CDupeFinder::kMostFilesHeldPerRun + 6;
    const size_t size = CDupeFinder::kFirstBlockBytes + 10;
    std::set<std::wstring> even, odd;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".dat";
        Make(name, Pattern(size, static_cast<int>(i % 2)));
        (i % 2 ? odd : even).insert(Lower(Path(name)));
    }
    Make(L"unique.dat", Pattern(size, 5));
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, false};
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    auto groups = GroupsOf(finder, kSetAllFiles);
    std::sort(groups.begin(), groups.end());
    auto expected = std::vector<std::set<std::wstring>>{even, odd};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(groups, expected);
}

TEST_F(DupeTree, FilesChangedOrReplacedAfterTheWalkAreNeverGroupedAsFound) {
    const size_t size = 2 * CDupeFinder::kFirstBlockBytes;
    for (const wchar_t* name : {L"a.dat", L"b.dat", L"rewritten.dat", L"replaced.dat"})
        Make(name, Pattern(size, 3));
    Make(L"small-a.txt", "twin");
    Make(L"small-rewritten.txt", "twin");
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, false};
    WalkInto(finder, {root.Path()});
    // After the walk: the same size with other bytes, and a new file with the old bytes.
    Make(L"rewritten.dat", Pattern(size, 4), 1700000100);
    Make(L"small-rewritten.txt", "twi!", 1700000100);
    ASSERT_TRUE(DeleteFileW(Path(L"replaced.dat").c_str()));
    Make(L"replaced.dat", Pattern(size, 3));
    const auto before = TakeSnapshot(root.Path());
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(120000));
    const auto states = DigestStates(finder);
    for (const wchar_t* changed : {L"rewritten.dat", L"replaced.dat", L"small-rewritten.txt"})
        EXPECT_EQ(states.at(Lower(Path(changed))), CDupeFile::DigestState::kUnreadable)
            << testing::PrintToString(changed);
    finder.FillSortedDupeFiles();
    EXPECT_EQ(GroupsOf(finder, kSetAllFiles),
              (std::vector<std::set<std::wstring>>{Lowered({L"a.dat", L"b.dat"})}));
    ExpectOnlyRemoved(before, TakeSnapshot(root.Path()));
}

TEST_F(DupeTree, SteppedDigestsAreWholeFileDigestsAndHoldTheFile) {
    std::atomic<bool> keepRunning{true};
    CFileDigester digester;
    BYTE known[16];
    Make(L"abc.txt", "abc");
    ASSERT_TRUE(digester.Digest(Path(L"abc.txt").c_str(), nullptr, 0, keepRunning, known));
    const BYTE abc[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                          0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(std::memcmp(known, abc, sizeof abc), 0);
    constexpr DWORD first = 4096;
    for (const size_t size : {size_t{1}, size_t{first - 1}, size_t{first}, size_t{first + 1},
                              size_t{CFileDigester::kBlockBytes + 1}}) {
        SCOPED_TRACE(size);
        const std::string bytes = Pattern(size, 9);
        Make(L"f.dat", bytes);
        BYTE whole[16], stepped[16];
        ASSERT_TRUE(digester.Digest(Path(L"f.dat").c_str(), nullptr, 0, keepRunning, whole));
        CSteppedDigest step;
        ASSERT_TRUE(step.Begin(Path(L"f.dat").c_str(), nullptr, 0, first, digester.Block()));
        EXPECT_EQ(step.Size(), size);
        // Nobody writes the file between the two steps.
        const KernelHandle writer(CreateFileW(Path(L"f.dat").c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer.IsValid());
        const CString firstDigest =
            CMD5Checksum::GetMD5OfBuffer(reinterpret_cast<const BYTE*>(bytes.data()),
                                         static_cast<ULONG>(std::min<size_t>(size, first)));
        CString shown;
        for (const BYTE value : step.FirstDigest())
            shown.AppendFormat(L"%02x", value);
        EXPECT_EQ(shown.CompareNoCase(firstDigest), 0);
        ASSERT_TRUE(step.Finish(digester.Block(), keepRunning, stepped));
        EXPECT_FALSE(step.IsHeld());
        EXPECT_EQ(std::memcmp(whole, stepped, sizeof whole), 0);
    }
    // A file larger than the limit is not taken; neither is one changed since it was recorded.
    CSteppedDigest step;
    EXPECT_FALSE(step.Begin(Path(L"f.dat").c_str(), nullptr, 10, first, digester.Block()));
    FileIdentity recorded;
    ASSERT_EQ(ReadItemIdentity(Path(L"abc.txt").c_str(), recorded), ItemOutcome::kDone);
    Make(L"abc.txt", "abd", 1700000200);
    EXPECT_FALSE(step.Begin(Path(L"abc.txt").c_str(), &recorded, 0, first, digester.Block()));
    EXPECT_FALSE(step.IsHeld());
}

TEST_F(DupeTree, WithoutContentEqualNameAndSizeGroupAndEmptyFilesGroup) {
    Make(L"a\\x.jpg", "abc");
    Make(L"b\\X.JPG", "xyz");
    Make(L"a\\empty.dat", "");
    Make(L"b\\empty.dat", "");
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    auto groups = GroupsOf(finder, kSetAllFiles);
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups,
              (std::vector<std::set<std::wstring>>{Lowered({L"a\\empty.dat", L"b\\empty.dat"}),
                                                   Lowered({L"a\\x.jpg", L"b\\X.JPG"})}));
    EXPECT_EQ(GroupsOf(finder, kSetImage).size(), 1u);

    finder.Options().content = true;
    WalkInto(finder, {root.Path()});
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 2u); // empty files are left out
    GroupAndFill(finder);
    EXPECT_TRUE(finder.Duplicates(kSetAllFiles).empty());
}

TEST_F(DupeTree, LastWriteTimeSplitsEqualNamesAndSizes) {
    Make(L"a\\x.txt", "same", 1600000000);
    Make(L"b\\x.txt", "same", 1600000000);
    Make(L"c\\x.txt", "same", 1600000100);
    finder.Options().lastWriteTime = true;
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    EXPECT_EQ(GroupsOf(finder, kSetAllFiles),
              (std::vector<std::set<std::wstring>>{Lowered({L"a\\x.txt", L"b\\x.txt"})}));
}

class StopAtFirstFolder : public DupeWalkObserver {
public:
    explicit StopAtFirstFolder(std::atomic<bool>& stop) : stop_(stop) {}
    void OnFolderEntered(const CString&) override { stop_ = true; }
    void OnLocationDone(int index) override { done.push_back(index); }
    std::vector<int> done;

private:
    std::atomic<bool>& stop_;
};

TEST_F(DupeTree, StoppedWalkKeepsWhatItRecorded) {
    Make(L"top.txt", "1");
    Make(L"sub\\inner.txt", "2");
    Make(L"sub2\\inner2.txt", "3");
    std::atomic<bool> stop{false};
    StopAtFirstFolder observer(stop);
    CStringArray locations, none;
    locations.Add(root.Path().c_str());
    locations.Add(root.Path().c_str());
    CDupeFolderWalk walk(finder, none, none, stop, &observer);
    EXPECT_FALSE(walk.Walk(locations));
    EXPECT_EQ(observer.done, std::vector<int>{0}); // the second location is never begun
    ASSERT_GE(finder.Files(kSetAllFiles).size(), 1u);
    EXPECT_LT(finder.Files(kSetAllFiles).size(), 3u);
}

TEST_F(DupeTree, UnreadableFileIsNeverEqualByContent) {
    for (const wchar_t* folder : {L"a", L"b", L"c", L"d"})
        Make(std::wstring(folder) + L"\\twin.txt", "identical content");
    // Two of the four are held open by another handle that shares nothing.
    KernelHandle lockC(CreateFileW(Path(L"c\\twin.txt").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    KernelHandle lockD(CreateFileW(Path(L"d\\twin.txt").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lockC);
    ASSERT_TRUE(lockD);
    finder.Options().content = true;
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    lockC.Reset();
    lockD.Reset();
    EXPECT_EQ(GroupsOf(finder, kSetAllFiles),
              (std::vector<std::set<std::wstring>>{Lowered({L"a\\twin.txt", L"b\\twin.txt"})}));
}

TEST_F(DupeTree, FileUnreadableOnceIsReadByTheNextGrouping) {
    for (const wchar_t* folder : {L"a", L"b"})
        Make(std::wstring(folder) + L"\\twin.txt", "identical content");
    KernelHandle lock(CreateFileW(Path(L"b\\twin.txt").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    finder.Options().content = true;
    WalkInto(finder, {root.Path()});
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    EXPECT_TRUE(finder.Groups(kSetAllFiles).empty());
    lock.Reset();
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    ASSERT_EQ(finder.Groups(kSetAllFiles).size(), 1u);
    EXPECT_EQ(finder.Groups(kSetAllFiles)[0].count, 2u);
}

TEST_F(DupeTree, OnlyUnreadableFilesMakeNoGroupAndSortConsistently) {
    std::vector<KernelHandle> locks;
    for (int i = 0; i < 40; ++i) {
        const std::wstring relative = L"f" + std::to_wstring(i) + L"\\x.txt";
        Make(relative, "same");
        locks.emplace_back(CreateFileW(Path(relative).c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    }
    finder.Options() = DupeMatchOptions{true, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    finder.SetKeepRunning(true);
    finder.GroupFiles(kSetAllFiles);
    locks.clear();
    EXPECT_TRUE(finder.Groups(kSetAllFiles).empty());
    const auto& files = finder.Files(kSetAllFiles);
    ASSERT_EQ(files.size(), 40u);
    for (size_t i = 1; i < files.size(); ++i)
        EXPECT_LT(files[i - 1]->m_nSerial, files[i]->m_nSerial);
}

TEST_F(DupeTree, SizeLimitDecidesWhetherLargeFilesAreRead) {
    // Two sparse files of 129 MiB with the same name and size that differ in their last byte.
    const LONGLONG size = 129ll * 1024 * 1024;
    for (const wchar_t* folder : {L"a", L"b"}) {
        MakeFolder(Path(folder));
        const std::wstring path = Path(std::wstring(folder) + L"\\big.dat");
        const KernelHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER last;
        last.QuadPart = size - 1;
        SetFilePointerEx(file.Get(), last, nullptr, FILE_BEGIN);
        const char byte = folder[0];
        DWORD written = 0;
        WriteFile(file.Get(), &byte, 1, &written, nullptr);
    }
    finder.Options() = DupeMatchOptions{true, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    EXPECT_EQ(GroupsOf(finder, kSetAllFiles).size(), 1u); // not read: counted as equal

    finder.Options().sizeLimit = false;
    WalkInto(finder, {root.Path()});
    GroupAndFill(finder);
    EXPECT_TRUE(GroupsOf(finder, kSetAllFiles).empty());
}

TEST_F(DupeTree, FileReachedTwiceIsRecordedOnce) {
    Make(L"top\\x.txt", "alone");
    Make(L"top\\sub\\y.txt", "alone too");
    // Two masks matching one file, and a location inside another location.
    WalkInto(finder, {root / L"top", root / L"top\\sub"}, {L"*.txt", L"x*", L"*.*"});
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 2u);
    GroupAndFill(finder);
    EXPECT_TRUE(finder.Duplicates(kSetAllFiles).empty());

    // Another name of the same file (a hard link) is the same file.
    MakeFolder(Path(L"other"));
    ASSERT_TRUE(
        CreateHardLinkW(Path(L"other\\x.txt").c_str(), Path(L"top\\x.txt").c_str(), nullptr));
    WalkInto(finder, {root.Path()});
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 2u);
    GroupAndFill(finder);
    EXPECT_TRUE(finder.Duplicates(kSetAllFiles).empty());
}

TEST_F(DupeTree, WalkDoesNotEnterLinkedFolders) {
    Make(L"real\\x.txt", "content");
    if (!CreateSymbolicLinkW(Path(L"link").c_str(), Path(L"real").c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no directory links here (error " << GetLastError() << ")";
    const DWORD attributes = GetFileAttributesW(Path(L"link").c_str());
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "the link is not reported as a reparse point";
    WalkInto(finder, {root.Path()});
    ASSERT_EQ(finder.Files(kSetAllFiles).size(), 1u);
    EXPECT_EQ(Lower(finder.Files(kSetAllFiles)[0]->GetFullPath().GetString()),
              Lower(Path(L"real\\x.txt")));
}

TEST_F(DupeTree, IgnoreListSkipsFoldersAndFilesInAnyLetterCase) {
    Make(L"keep\\a.txt", "1");
    Make(L"Skip.Me\\a.txt", "1");
    Make(L"keep\\deep\\SKIP.me\\b.txt", "2");
    Make(L"root-skip.me-file.txt", "3");
    WalkInto(finder, {root.Path()}, {}, {L"skip.ME"});
    ASSERT_EQ(finder.Files(kSetAllFiles).size(), 1u);
    EXPECT_EQ(finder.Files(kSetAllFiles)[0]->m_strDisplayName, CString(L"a.txt"));
}

// ---- Stopping

struct StopAfterCalls {
    CDupeFinder* finder = nullptr;
    std::atomic<int> calls{0};
    int stopAt = 0;
    std::atomic<bool> done{false};
};

void CountAndStop(BOOL done, int, LPVOID user) {
    auto* state = static_cast<StopAfterCalls*>(user);
    if (done)
        state->done = true;
    if (++state->calls == state->stopAt)
        state->finder->StopGrouping();
}

TEST_F(DupeTree, StopDuringDigestsEndsWithoutGroups) {
    // Equal sizes and different bytes: every file's content is read.
    for (int i = 0; i < 60; ++i)
        Make(L"f\\file" + std::to_wstring(i) + L".dat",
             std::string(4096, 'a') + std::to_string(i % 10));
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    StopAfterCalls state;
    state.finder = &finder;
    state.stopAt = 5;
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(&CountAndStop, &state, true));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    EXPECT_TRUE(state.done);
    EXPECT_FALSE(finder.KeepRunning());
    for (int set = 0; set < kDupeSetCount; ++set)
        EXPECT_TRUE(finder.Groups(static_cast<DupeSet>(set)).empty());
    finder.FillSortedDupeFiles();
    EXPECT_TRUE(finder.Duplicates(kSetAllFiles).empty());
}

TEST_F(DupeTree, StopFollowedAtOnceByANewScanWaitsForTheGrouping) {
    for (int i = 0; i < 200; ++i)
        Make(L"f\\file" + std::to_wstring(i) + L".dat", std::string(65536, 'b'));
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, true};
    for (int round = 0; round < 3; ++round) {
        WalkInto(finder, {root.Path()});
        finder.DeleteGroups();
        ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
        finder.StopGrouping();
        finder.Reset(); // a new scan: waits for the thread before it empties the finder
        EXPECT_FALSE(finder.IsGrouping());
        EXPECT_EQ(finder.TotalRecords(), 0u);
    }
    // A stop followed at once by a new grouping of the same files.
    WalkInto(finder, {root.Path()});
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    finder.StopGrouping();
    finder.DeleteGroups(); // waits for the stopped thread
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    finder.FillSortedDupeFiles();
    EXPECT_EQ(finder.Duplicates(kSetAllFiles).size(), 200u);
}

TEST_F(DupeTree, GroupingWritesToThisThreadsWindowsWhileItIsWaitedFor) {
    for (int i = 0; i < 30; ++i)
        Make(L"f\\file" + std::to_wstring(i) + L".dat", std::string(20000, 'c'));
    // Windows of the waiting thread: the grouping thread sends them its texts and positions,
    // which only arrive while the wait handles sent messages.
    HWND text =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HWND bar =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(text, nullptr);
    finder.SetDigestFileWindow(text);
    finder.SetGroupingProgressBar(bar);
    finder.Options() = DupeMatchOptions{false, true, false, false, false, true, true};
    WalkInto(finder, {root.Path()});
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    EXPECT_TRUE(finder.WaitForGrouping(60000));
    wchar_t shown[MAX_PATH] = {};
    GetWindowTextW(text, shown, MAX_PATH);
    EXPECT_NE(std::wstring(shown).find(L"file"), std::wstring::npos);
    finder.FillSortedDupeFiles();
    EXPECT_EQ(finder.Duplicates(kSetAllFiles).size(), 30u);
    finder.SetDigestFileWindow(nullptr);
    finder.SetGroupingProgressBar(nullptr);
    DestroyWindow(text);
    DestroyWindow(bar);
}

} // namespace
