// Last-scan files: their exact bytes, the round trip, damaged files refused without touching
// the finder, and the newest five kept.
#include "DupesTestSupport.h"

#include "LastScanFiles.h"

#include <classlib/File.h>

#include <cstring>

namespace {

using Bytes = std::vector<BYTE>;

DupeFoundFile Found(const wchar_t* name, ULONGLONG size, ULONGLONG id) {
    DupeFoundFile found;
    found.name = name;
    found.size = size;
    found.lastWriteTime = FileTimeOf(1000);
    found.creationTime = FileTimeOf(2000);
    found.identity = DupeFileIdentity{FileIdentity{1, id}, true};
    return found;
}

class ByteImage {
public:
    ByteImage& U8(BYTE value) {
        bytes.push_back(value);
        return *this;
    }
    ByteImage& U32(DWORD value) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
        return *this;
    }
    ByteImage& U64(ULONGLONG value) {
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
        return *this;
    }
    ByteImage& Text(const std::wstring& text) {
        U8(0xFF).U8(0xFE).U8(0xFF).U8(static_cast<BYTE>(text.size()));
        for (wchar_t c : text)
            U8(static_cast<BYTE>(c)).U8(static_cast<BYTE>(c >> 8));
        return *this;
    }
    ByteImage& Locations(std::initializer_list<std::wstring> locations) {
        U32(static_cast<DWORD>(locations.size()));
        for (const std::wstring& location : locations)
            Text(location);
        return *this;
    }
    ByteImage& Zeros(size_t count) {
        bytes.insert(bytes.end(), count, 0);
        return *this;
    }
    ByteImage& Sentinel() {
        return U32(0xFFFFFFFF)
            .Text(L"\r\n")
            .Text(L"\r\n")
            .Text(L"")
            .U8(1)
            .U8(0)
            .U64(0)
            .U64(0)
            .U64(0)
            .Zeros(16);
    }
    ByteImage& Record(const std::wstring& name, const std::wstring& folder, DWORD category) {
        std::wstring lower = Lower(name);
        return U32(category)
            .Text(lower)
            .Text(name)
            .Text(folder)
            .U8(0)
            .U8(0)
            .U64(5)
            .U64(2000)
            .U64(1000)
            .Zeros(16);
    }
    Bytes bytes;
};

Bytes Stored(const CDupeFinder& finder) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        finder.Store(ar);
        ar.Close();
    }
    const ULONGLONG length = file.GetLength();
    Bytes bytes(static_cast<size_t>(length));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

CDupeFinder::LoadResult LoadBytes(CDupeFinder& finder, Bytes bytes) {
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    return finder.Load(ar);
}

TEST(LastScanFile, OneFileIsOneRecordWithoutSentinels) {
    CDupeFinder finder;
    finder.Locations().Add(L"C:\\x");
    finder.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
    const Bytes expected = ByteImage()
                               .U32(1)
                               .U8(1)
                               .U8(1)
                               .U8(0)
                               .U8(0)
                               .U8(0)
                               .U8(0)
                               .U8(1)
                               .Record(L"a.txt", L"C:\\x", 3)
                               .Locations({L"C:\\x"})
                               .bytes;
    EXPECT_EQ(Stored(finder), expected);
}

TEST(LastScanFile, TwoFilesLieBetweenTwoSentinelsAndLoadWithoutThem) {
    CDupeFinder finder;
    finder.Options().content = true;
    finder.Options().lastWriteTime = true;
    finder.Locations().Add(L"C:\\x");
    finder.Locations().Add(L"D:\\");
    finder.CreateDupeFileItem(Found(L"Song.MP3", 5, 1), L"C:\\x");
    finder.CreateDupeFileItem(Found(L"b.xyz", 5, 2), L"D:\\y\\z");
    const Bytes stored = Stored(finder);
    const Bytes expected = ByteImage()
                               .U32(4)
                               .U8(1)
                               .U8(1)
                               .U8(0)
                               .U8(1)
                               .U8(0)
                               .U8(1)
                               .U8(1)
                               .Sentinel()
                               .Record(L"Song.MP3", L"C:\\x", 0)
                               .Record(L"b.xyz", L"D:\\y\\z", 5)
                               .Sentinel()
                               .Locations({L"C:\\x", L"D:\\"})
                               .bytes;
    EXPECT_EQ(stored, expected);

    CDupeFinder loaded;
    ASSERT_EQ(LoadBytes(loaded, stored), CDupeFinder::LoadResult::kLoaded);
    EXPECT_TRUE(loaded.Options().content);
    EXPECT_TRUE(loaded.Options().lastWriteTime);
    EXPECT_FALSE(loaded.Options().creationTime);
    ASSERT_EQ(loaded.Files(kSetAllFiles).size(), 2u);
    EXPECT_EQ(loaded.Files(kSetMusic).size(), 1u);
    const CDupeFile& song = *loaded.Files(kSetAllFiles)[0];
    EXPECT_EQ(song.m_strDisplayName, CString(L"Song.MP3"));
    EXPECT_EQ(song.m_strName, CString(L"song.mp3"));
    EXPECT_EQ(song.m_strFolder, CString(L"C:\\x"));
    EXPECT_EQ(song.m_nSize, 5u);
    EXPECT_EQ(song.m_tCreation, 2000);
    EXPECT_EQ(song.m_tLastWrite, 1000);
    EXPECT_EQ(song.m_nFirstGroup, -1);
    EXPECT_FALSE(song.m_identity.known) << "a loaded record is resolved before its grouping";
    ASSERT_EQ(loaded.Locations().GetSize(), 2);
    EXPECT_EQ(loaded.Locations()[1], CString(L"D:\\"));
    // Stored again, it is the same file.
    EXPECT_EQ(Stored(loaded), stored);
}

TEST(LastScanFile, DigestsAndRemovalMarksSurviveTheRoundTrip) {
    CDupeFinder finder;
    finder.Locations().Add(L"C:\\x");
    finder.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
    finder.CreateDupeFileItem(Found(L"b.txt", 5, 2), L"C:\\x");
    CDupeFile& first = *finder.Files(kSetAllFiles)[0];
    for (int i = 0; i < 16; ++i)
        first.m_digest[i] = static_cast<BYTE>(i + 1);
    first.m_digestState = CDupeFile::DigestState::kDone;
    first.m_bRemovalMark = 1;
    // An unreadable file is stored as not tried: a later grouping tries it again.
    finder.Files(kSetAllFiles)[1]->m_digestState = CDupeFile::DigestState::kUnreadable;
    CDupeFinder loaded;
    ASSERT_EQ(LoadBytes(loaded, Stored(finder)), CDupeFinder::LoadResult::kLoaded);
    const CDupeFile& back = *loaded.Files(kSetAllFiles)[0];
    EXPECT_EQ(std::memcmp(back.m_digest, first.m_digest, 16), 0);
    EXPECT_EQ(back.m_digestState, CDupeFile::DigestState::kDone);
    EXPECT_EQ(back.m_bRemovalMark, 1);
    EXPECT_EQ(loaded.Files(kSetAllFiles)[1]->m_digestState, CDupeFile::DigestState::kNotTried);
}

TEST(LastScanFile, LongNameUsesTheSixteenBitLength) {
    CDupeFinder finder;
    finder.Locations().Add(L"C:\\x");
    const std::wstring name = std::wstring(296, L'n') + L".txt";
    finder.CreateDupeFileItem(Found(name.c_str(), 5, 1), L"C:\\x");
    const Bytes stored = Stored(finder);
    // Count, options and category come first; then 0xFF 0xFFFE 0xFF and 300 as 16 bits.
    const Bytes head(stored.begin() + 15, stored.begin() + 21);
    EXPECT_EQ(head, (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    CDupeFinder loaded;
    ASSERT_EQ(LoadBytes(loaded, stored), CDupeFinder::LoadResult::kLoaded);
    EXPECT_EQ(loaded.Files(kSetAllFiles)[0]->m_strDisplayName, CString(name.c_str()));
}

class DamagedFile : public ::testing::Test {
protected:
    void SetUp() override {
        CDupeFinder source;
        source.Locations().Add(L"C:\\x");
        source.Locations().Add(L"C:\\y");
        source.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
        source.CreateDupeFileItem(Found(L"b.txt", 6, 2), L"C:\\y");
        good = Stored(source);
        current.CreateDupeFileItem(Found(L"kept.txt", 9, 1), L"E:\\kept");
    }
    void ExpectRefused(const Bytes& bytes) {
        EXPECT_NE(LoadBytes(current, bytes), CDupeFinder::LoadResult::kLoaded);
        ASSERT_EQ(current.Files(kSetAllFiles).size(), 1u);
        EXPECT_EQ(current.Files(kSetAllFiles)[0]->m_strDisplayName, CString(L"kept.txt"));
    }
    Bytes good;
    CDupeFinder current;
};

TEST_F(DamagedFile, EveryTruncationIsRefused) {
    for (size_t length = 0; length < good.size(); ++length)
        ExpectRefused(Bytes(good.begin(), good.begin() + static_cast<ptrdiff_t>(length)));
}

TEST_F(DamagedFile, CountOfZeroLeavesTheResults) {
    Bytes bytes = good;
    std::memset(bytes.data(), 0, 4);
    EXPECT_EQ(LoadBytes(current, bytes), CDupeFinder::LoadResult::kEmpty);
    EXPECT_EQ(current.Files(kSetAllFiles).size(), 1u);
}

TEST_F(DamagedFile, CountsAndLengthsBeyondTheDataAreRefused) {
    Bytes bytes = good;
    const DWORD hugeCount = 0x7FFFFFFF;
    std::memcpy(bytes.data(), &hugeCount, 4);
    ExpectRefused(bytes);

    // The first record's name claims 0xFFFFFFFE characters.
    bytes = ByteImage().U32(1).U8(1).U8(1).U8(0).U8(0).U8(0).U8(0).U8(1).U32(3).bytes;
    for (BYTE b : {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF})
        bytes.push_back(b);
    bytes.resize(bytes.size() + 200, 'x');
    ExpectRefused(bytes);
}

TEST_F(DamagedFile, InconsistentFieldsAreRefused) {
    const size_t firstRecord = 11 + ByteImage().Sentinel().bytes.size(); // after the sentinel
    Bytes bytes = good;
    bytes[firstRecord] = 9; // no such file type
    ExpectRefused(bytes);

    bytes = good;
    bytes[7] = 2; // an option byte is 0 or 1
    ExpectRefused(bytes);

    bytes = good;
    bytes.push_back(0); // bytes after the last record
    ExpectRefused(bytes);

    // A display name that is a path would name another file than the one scanned.
    CDupeFinder source;
    source.Locations().Add(L"C:\\x");
    source.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
    source.Files(kSetAllFiles)[0]->m_strDisplayName = L"..\\a.txt";
    ExpectRefused(Stored(source));
}

TEST(LastScanFile, OneFileNamedTwiceLoadsOnce) {
    CDupeFinder source;
    source.Locations().Add(L"C:\\x");
    source.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
    source.CreateDupeFileItem(Found(L"A.TXT", 5, 2), L"c:\\X");
    CDupeFinder loaded;
    ASSERT_EQ(LoadBytes(loaded, Stored(source)), CDupeFinder::LoadResult::kLoaded);
    EXPECT_EQ(loaded.Files(kSetAllFiles).size(), 1u);
}

TEST(LastScanFile, RecordsOutsideTheRecordedLocationsAreRefused) {
    CDupeFinder current;
    current.Locations().Add(L"E:\\kept");
    current.CreateDupeFileItem(Found(L"kept.txt", 9, 1), L"E:\\kept");
    const auto loadWith = [&](std::initializer_list<const wchar_t*> locations,
                              const wchar_t* folder) {
        CDupeFinder source;
        for (const wchar_t* location : locations)
            source.Locations().Add(location);
        source.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x\\in");
        source.CreateDupeFileItem(Found(L"b.txt", 5, 2), folder);
        return LoadBytes(current, Stored(source));
    };
    EXPECT_EQ(loadWith({L"C:\\x"}, L"C:\\y"), CDupeFinder::LoadResult::kOutsideLocations);
    EXPECT_EQ(loadWith({L"C:\\x"}, L"C:\\xy"), CDupeFinder::LoadResult::kOutsideLocations);
    EXPECT_EQ(loadWith({}, L"C:\\x"), CDupeFinder::LoadResult::kOutsideLocations);
    // A folder that is not named literally is outside every location.
    EXPECT_EQ(loadWith({L"C:\\x"}, L"C:\\x\\in\\."), CDupeFinder::LoadResult::kOutsideLocations);
    EXPECT_EQ(loadWith({L"C:\\x"}, L"C:\\x\\y\\..\\in"),
              CDupeFinder::LoadResult::kOutsideLocations);
    EXPECT_EQ(loadWith({L"C:\\x"}, L"C:\\x\\..\\y"), CDupeFinder::LoadResult::kOutsideLocations);
    // A location that is not literal is damage.
    EXPECT_EQ(loadWith({L"C:\\x\\..\\"}, L"C:\\x"), CDupeFinder::LoadResult::kDamaged);
    EXPECT_EQ(loadWith({L"relative"}, L"C:\\x"), CDupeFinder::LoadResult::kDamaged);
    ASSERT_EQ(current.Files(kSetAllFiles).size(), 1u);
    EXPECT_EQ(current.Files(kSetAllFiles)[0]->m_strDisplayName, CString(L"kept.txt"));
    // Within, in any letter case, below a drive's root or a location with a final backslash.
    EXPECT_EQ(loadWith({L"c:\\X\\"}, L"C:\\x\\deeper"), CDupeFinder::LoadResult::kLoaded);
    EXPECT_EQ(loadWith({L"C:"}, L"C:\\y"), CDupeFinder::LoadResult::kLoaded);
    EXPECT_EQ(loadWith({L"D:\\", L"C:\\x"}, L"D:\\y"), CDupeFinder::LoadResult::kLoaded);
}

// ---- Files in the data folder

TEST(LastScanFolder, FileNameAndGroupingWritesUnlessLoading) {
    TempFolder folder;
    CDupeFinder finder;
    finder.SetLastScanFolder(folder.Path().c_str());
    finder.Locations().Add(L"C:\\x");
    finder.CreateDupeFileItem(Found(L"a.txt", 5, 1), L"C:\\x");
    SYSTEMTIME when = {2012, 11, 0, 3, 14, 5, 9, 0};
    const CString path = finder.WriteLastScanFile(when);
    EXPECT_EQ(path, CString((folder / L"LastScan_14_5_9_3_11_2012.dat").c_str()));
    EXPECT_EQ(RefreshLastScanFiles(folder.Path().c_str()),
              std::vector<CString>{CString(L"LastScan_14_5_9_3_11_2012")});

    CDupeFinder loaded;
    ASSERT_EQ(LoadLastScanFile(loaded, folder.Path().c_str(), L"LastScan_14_5_9_3_11_2012"),
              LastScanLoad::kLoaded);
    EXPECT_EQ(loaded.Files(kSetAllFiles).size(), 1u);
    EXPECT_EQ(LoadLastScanFile(loaded, folder.Path().c_str(), L"missing"),
              LastScanLoad::kNotOpened);

    ASSERT_TRUE(RemoveLastScanFile(folder.Path().c_str(), L"LastScan_14_5_9_3_11_2012"));
    loaded.SetLastScanFolder(folder.Path().c_str());
    GroupAndFill(loaded); // a grouping of a loaded file writes none
    EXPECT_TRUE(RefreshLastScanFiles(folder.Path().c_str()).empty());
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, false));
    ASSERT_TRUE(finder.WaitForGrouping(60000));
    EXPECT_EQ(RefreshLastScanFiles(folder.Path().c_str()).size(), 1u);
}

TEST(LastScanFolder, RefreshKeepsTheFiveNewest) {
    TempFolder folder;
    for (int i = 1; i <= 7; ++i) {
        const std::wstring path = folder / (L"LastScan_" + std::to_wstring(i) + L".dat");
        WriteBytes(path, "x");
        KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        const FILETIME created = FileTimeOf(1600000000 + i * 60);
        SetFileTime(file.Get(), &created, nullptr, nullptr);
        file.Reset();
        Sleep(20); // where creation times cannot be set, the order of creation decides
    }
    WriteBytes(folder / L"other.txt", "not a result");
    EXPECT_EQ(RefreshLastScanFiles(folder.Path().c_str()),
              (std::vector<CString>{L"LastScan_7", L"LastScan_6", L"LastScan_5", L"LastScan_4",
                                    L"LastScan_3"}));
    EXPECT_EQ(GetFileAttributesW((folder / L"LastScan_1.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((folder / L"LastScan_2.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((folder / L"other.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LastScanFolder, DamagedFileOnDiskIsRefused) {
    TempFolder folder;
    WriteBytes(folder / L"LastScan_1.dat", std::string("\x05\x00\x00\x00\x01", 5));
    CDupeFinder finder;
    finder.CreateDupeFileItem(Found(L"kept.txt", 5, 1), L"C:\\x");
    EXPECT_EQ(LoadLastScanFile(finder, folder.Path().c_str(), L"LastScan_1"),
              LastScanLoad::kDamaged);
    EXPECT_EQ(finder.Files(kSetAllFiles).size(), 1u);
}

} // namespace
