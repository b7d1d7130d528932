// CArchive over CMemFile and CFile: exact byte images of counts, strings and collections,
// and clean failures on truncated or damaged data.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

// Stores through an archive into a growable memory file the way the settings store does:
// a zero-filled 4,096-byte block with a grow step of 16, then the detached image.
template <class F> Bytes Store(F write) {
    BYTE* block = static_cast<BYTE*>(calloc(4096, 1));
    CMemFile file(block, 4096, 16);
    {
        CArchive ar(&file, CArchive::store, 4096);
        write(ar);
        ar.Close();
    }
    const ULONGLONG length = file.GetLength();
    BYTE* image = file.Detach();
    Bytes bytes(image, image + length);
    free(image);
    return bytes;
}

template <class F> void Load(Bytes bytes, F read) {
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load, 4096);
    read(ar);
}

// The cause of the CArchiveException that f throws, or -1 when none.
template <class F> int ArchiveFailure(F f) {
    try {
        f();
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

Bytes Le16(unsigned v) {
    return {BYTE(v), BYTE(v >> 8)};
}
Bytes Le32(unsigned long v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(ArchiveImage, FiveElementWordArrayIsTwentyTwoBytes) {
    CDWordArray point;
    point.SetSize(5);
    point[0] = 3;
    point[1] = 4;
    const Bytes image = Store([&](CArchive& ar) { point.Serialize(ar); });
    EXPECT_EQ(Cat({Le16(5), Le32(3), Le32(4), Le32(0), Le32(0), Le32(0)}), image);

    CDWordArray loaded;
    Load(image, [&](CArchive& ar) { loaded.Serialize(ar); });
    ASSERT_EQ(5, loaded.GetSize());
    EXPECT_EQ(3u, loaded[0]);
    EXPECT_EQ(4u, loaded[1]);
}

TEST(ArchiveImage, NegativeRectangleValuesKeepTheirBits) {
    CDWordArray rect;
    rect.Add(static_cast<DWORD>(-5)); // top, bottom, left, right, 0
    rect.Add(20);
    rect.Add(static_cast<DWORD>(-1));
    rect.Add(30);
    rect.Add(0);
    const Bytes image = Store([&](CArchive& ar) { rect.Serialize(ar); });
    EXPECT_EQ(Cat({Le16(5), Le32(0xFFFFFFFB), Le32(20), Le32(0xFFFFFFFF), Le32(30), Le32(0)}),
              image);
}

TEST(ArchiveImage, StringsCarryTheWideMarkAndTheirLengthForm) {
    const auto image = [](int length) {
        return Store([&](CArchive& ar) { ar << CString(L'a', length); });
    };
    EXPECT_EQ(Bytes({0xFF, 0xFE, 0xFF, 0x00}), image(0));
    EXPECT_EQ(Cat({{0xFF, 0xFE, 0xFF, 0x02}, Le16('a'), Le16('a')}), image(2));

    Bytes b = image(254); // the longest one-byte length
    ASSERT_EQ(4u + 254 * 2, b.size());
    EXPECT_EQ(254, b[3]);

    b = image(255);
    ASSERT_EQ(6u + 255 * 2, b.size());
    EXPECT_EQ(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}), Bytes(b.begin(), b.begin() + 6));

    b = image(300);
    EXPECT_EQ(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}), Bytes(b.begin(), b.begin() + 6));

    b = image(0xFFFD); // the longest 16-bit length
    EXPECT_EQ(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}), Bytes(b.begin(), b.begin() + 6));

    b = image(0xFFFE);
    ASSERT_EQ(10u + 0xFFFE * 2, b.size());
    EXPECT_EQ(Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Le32(0xFFFE)}),
              Bytes(b.begin(), b.begin() + 10));

    for (int length : {0, 1, 254, 255, 300, 0xFFFD, 0xFFFE, 70000}) {
        CString text;
        for (int i = 0; i < length; ++i)
            text.AppendChar(static_cast<wchar_t>(L'A' + i % 26));
        CString loaded(L"old");
        Load(Store([&](CArchive& ar) { ar << text; }), [&](CArchive& ar) { ar >> loaded; });
        EXPECT_TRUE(loaded == text) << length;
    }
}

TEST(ArchiveImage, EightBitStringsAreReadToo) {
    CString one, two;
    Load(Cat({{0x03, 'a', 'b', 'c'}, {0xFF}, Le16(2), {'x', 'y'}}), [&](CArchive& ar) {
        ar >> one;
        ar >> two;
    });
    EXPECT_EQ(L"abc", std::wstring(one));
    EXPECT_EQ(L"xy", std::wstring(two));
}

TEST(ArchiveImage, CountsEscapeToThirtyTwoBits) {
    const Bytes small = Store([](CArchive& ar) { ar.WriteCount(0xFFFE); });
    EXPECT_EQ(Le16(0xFFFE), small);
    const Bytes large = Store([](CArchive& ar) { ar.WriteCount(0x12345); });
    EXPECT_EQ(Cat({Le16(0xFFFF), Le32(0x12345)}), large);
    DWORD_PTR count = 0;
    Load(large, [&](CArchive& ar) { count = ar.ReadCount(); });
    EXPECT_EQ(0x12345u, count);
}

TEST(ArchiveImage, CollectionsRoundTrip) {
    CStringArray strings;
    strings.Add(L"C:\\Temp");
    strings.Add(L"");
    strings.Add(L"*.tmp");
    CStringList list;
    list.AddTail(L"one");
    list.AddTail(L"two");
    CByteArray bytes;
    bytes.Add(1);
    bytes.Add(0xFE);
    CWordArray words;
    words.Add(0xBEEF);
    const Bytes image = Store([&](CArchive& ar) {
        strings.Serialize(ar);
        list.Serialize(ar);
        bytes.Serialize(ar);
        words.Serialize(ar);
    });
    EXPECT_EQ(Cat({Le16(3), {0xFF, 0xFE, 0xFF, 7}}), Bytes(image.begin(), image.begin() + 6));
    const Bytes tail = Bytes(image.end() - 8, image.end());
    EXPECT_EQ(Cat({Le16(2), {0x01, 0xFE}, Le16(1), Le16(0xBEEF)}), tail);

    CStringArray strings2;
    CStringList list2;
    CByteArray bytes2;
    CWordArray words2;
    Load(image, [&](CArchive& ar) {
        strings2.Serialize(ar);
        list2.Serialize(ar);
        bytes2.Serialize(ar);
        words2.Serialize(ar);
    });
    ASSERT_EQ(3, strings2.GetSize());
    EXPECT_EQ(L"*.tmp", std::wstring(strings2[2]));
    ASSERT_EQ(2, list2.GetCount());
    EXPECT_EQ(L"two", std::wstring(list2.GetTail()));
    ASSERT_EQ(2, bytes2.GetSize());
    EXPECT_EQ(0xFE, bytes2[1]);
    EXPECT_EQ(0xBEEF, words2[0]);
}

TEST(ArchiveImage, ScalarsAreLittleEndian) {
    const Bytes image = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(1) << true << -1 << 0x0102030405060708ull
           << static_cast<LONGLONG>(-2);
    });
    EXPECT_EQ(Cat({{1, 1},
                   Le32(0xFFFFFFFF),
                   {8, 7, 6, 5, 4, 3, 2, 1},
                   {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}),
              image);
}

TEST(ArchiveFailures, TruncatedDataEndsWithEndOfFile) {
    CStringArray strings;
    strings.Add(CString(L'q', 300));
    strings.Add(L"second");
    const Bytes image = Store([&](CArchive& ar) { strings.Serialize(ar); });
    for (size_t cut :
         {size_t(0), size_t(1), size_t(3), size_t(7), image.size() / 2, image.size() - 1}) {
        CStringArray loaded;
        const int cause = ArchiveFailure([&] {
            Load(Bytes(image.begin(), image.begin() + cut),
                 [&](CArchive& ar) { loaded.Serialize(ar); });
        });
        EXPECT_EQ(CArchiveException::endOfFile, cause) << cut;
    }
    int value = 0;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveFailure([&] {
                  Load({1, 2, 3}, [&](CArchive& ar) { ar >> value; });
              }));
}

TEST(ArchiveFailures, DamagedLengthsFailWithoutClaimingTheirSize) {
    // A string claiming 0x7FFFFFF0 characters and an array claiming 0xFFFFFFF0 words.
    CString text;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveFailure([&] {
                  Load(Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Le32(0x7FFFFFF0), Le16('a')}),
                       [&](CArchive& ar) { ar >> text; });
              }));
    CDWordArray words;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveFailure([&] {
                  Load(Cat({Le16(0xFFFF), Le32(0xFFFFFFF0), Le32(1)}),
                       [&](CArchive& ar) { words.Serialize(ar); });
              }));
}

TEST(ArchiveFailures, WrongDirectionIsRefused) {
    CMemFile file;
    CArchive storing(&file, CArchive::store);
    BYTE b = 0;
    EXPECT_EQ(CArchiveException::writeOnly, ArchiveFailure([&] { storing.Read(&b, 1); }));
    CArchive loading(&file, CArchive::load);
    EXPECT_EQ(CArchiveException::readOnly, ArchiveFailure([&] { loading << b; }));
}

TEST(MemFile, AttachedBlockWithGrowStepCountsAsEmpty) {
    BYTE* block = static_cast<BYTE*>(calloc(32, 1));
    CMemFile file(block, 32, 16);
    EXPECT_EQ(0u, file.GetLength());
    const char text[] = "0123456789abcdef0123456789abcdef0123456789";
    file.Write(text, sizeof(text));
    EXPECT_EQ(sizeof(text), file.GetLength());
    file.SeekToBegin();
    char back[sizeof(text)] = {};
    EXPECT_EQ(sizeof(text), file.Read(back, 100));
    EXPECT_STREQ(text, back);
    EXPECT_EQ(0u, file.Read(back, 1));
    free(file.Detach());
    EXPECT_EQ(0u, file.GetLength());
}

TEST(MemFile, FixedBlockCannotGrow) {
    BYTE block[4] = {1, 2, 3, 4};
    CMemFile file(block, 4);
    EXPECT_EQ(4u, file.GetLength());
    file.Seek(2, CFile::begin);
    bool refused = false;
    try {
        file.Write(block, 4);
    } catch (CFileException* e) {
        refused = e->m_cause == CFileException::diskFull;
        e->Delete();
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(1, block[0]);
}

TEST(DiskFile, ArchiveThroughARealFile) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"cla", 0, path);
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeReadWrite));
        CArchive ar(&file, CArchive::store);
        ar << 2 << CString(L"LastScan") << static_cast<BYTE>(1);
        ar.Close();
        file.Close();
    }
    {
        CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
        EXPECT_EQ(4u + 4 + 16 + 1, file.GetLength());
        EXPECT_EQ(CString(path).Mid(CString(path).ReverseFind(L'\\') + 1), file.GetFileName());
        CArchive ar(&file, CArchive::load);
        int count = 0;
        CString name;
        BYTE flag = 0;
        ar >> count >> name >> flag;
        EXPECT_EQ(2, count);
        EXPECT_EQ(L"LastScan", std::wstring(name));
        EXPECT_EQ(1, flag);
    }
    CFile::Remove(path);
    CFileException error;
    CFile missing;
    EXPECT_FALSE(missing.Open(path, CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
    bool thrown = false;
    try {
        CFile::Remove(path);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::fileNotFound;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

} // namespace
