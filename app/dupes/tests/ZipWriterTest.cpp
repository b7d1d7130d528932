// The zip writer, read back byte by byte: methods, names, times, attributes, failures that
// leave the archive sound, and Zip64 end records for more than 65,534 entries.
#include "DupesTestSupport.h"

#include "ZipTestReader.h"
#include "ZipWriter.h"

namespace {

class ZipWriting : public ::testing::Test {
protected:
    std::wstring Source(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder / name;
        WriteBytes(path, bytes);
        return path;
    }
    ZipTestReader Archive() const { return ZipTestReader(ReadBytes(archive)); }
    HZIP Create() {
        HZIP zip = ZipCreate(archive.c_str());
        EXPECT_NE(zip, nullptr);
        return zip;
    }
    TempFolder folder;
    std::wstring archive = folder / L"backup.zip";
};

std::string TextOf(size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "line " + std::to_string(text.size()) + " of a text that deflates well\r\n";
    text.resize(bytes);
    return text;
}

TEST_F(ZipWriting, StoredAndDeflatedEntriesComeBackByteForByte) {
    const std::string text = TextOf(100000);
    std::string noise(70000, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    HZIP zip = Create();
    ASSERT_EQ(ZipAdd(zip, Source(L"notes.txt", text).c_str(), L"docs\\notes.txt", kZipAddFile),
              kZipOk);
    ASSERT_EQ(ZipAdd(zip, Source(L"OLD.ZIP", noise).c_str(), L"OLD.ZIP", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipAdd(zip, Source(L"empty.txt", "").c_str(), L"empty.txt", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipAdd(zip, nullptr, L"docs", kZipAddFolder), kZipOk);
    ASSERT_EQ(ZipClose(zip), kZipOk);
    EXPECT_EQ(ZipLastResult(), kZipOk);
    ZipFree(zip);

    const ZipTestReader reader = Archive();
    ASSERT_TRUE(reader.ok);
    ASSERT_EQ(reader.entries.size(), 4u);
    EXPECT_FALSE(reader.zip64End);
    std::string out;
    const ZipTestEntry* notes = reader.Find("docs/notes.txt");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->method, 8);
    EXPECT_LT(notes->compressed, notes->uncompressed / 4);
    ASSERT_TRUE(reader.Extract(*notes, out));
    EXPECT_EQ(out, text);
    const ZipTestEntry* stored = reader.Find("OLD.ZIP");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->method, 0);
    EXPECT_EQ(stored->compressed, noise.size());
    ASSERT_TRUE(reader.Extract(*stored, out));
    EXPECT_EQ(out, noise);
    const ZipTestEntry* empty = reader.Find("empty.txt");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->method, 8);
    EXPECT_EQ(empty->uncompressed, 0u);
    ASSERT_TRUE(reader.Extract(*empty, out));
    const ZipTestEntry* docs = reader.Find("docs/");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(docs->method, 0);
    EXPECT_EQ(docs->compressed, 0u);
    EXPECT_EQ(docs->uncompressed, 0u);
    EXPECT_EQ(docs->externalAttributes & 0xFFFF00FFu, 0x41000010u | 0x00800000u);
    for (const auto& entry : reader.entries) {
        EXPECT_EQ(entry.versionMadeBy, 0x0B17);
        EXPECT_EQ(entry.versionNeeded, 20);
        EXPECT_EQ(entry.flags, 0);
        EXPECT_EQ(reader.LocalFlags(entry), 0);
    }
}

TEST_F(ZipWriting, NamesBeyondAsciiAreUtf8WithTheirFlag) {
    HZIP zip = Create();
    const std::wstring name = L"R\u00e9sum\u00e9 \u65e5\u672c.txt";
    ASSERT_EQ(ZipAdd(zip, Source(name, "caf\xc3\xa9").c_str(), (L"Dossier\\" + name).c_str(),
                     kZipAddFile),
              kZipOk);
    ASSERT_EQ(ZipClose(zip), kZipOk);
    ZipFree(zip);
    const ZipTestReader reader = Archive();
    ASSERT_EQ(reader.entries.size(), 1u);
    EXPECT_EQ(reader.entries[0].name, "Dossier/R\xc3\xa9sum\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt");
    EXPECT_EQ(reader.entries[0].flags, 0x0800);
    EXPECT_EQ(reader.LocalFlags(reader.entries[0]), 0x0800);
}

TEST_F(ZipWriting, TimesBefore1980AreClampedAndAttributesCarried) {
    const std::wstring old = Source(L"old.txt", "from 1975");
    SetLastWriteTime(old, 157766400); // 1 January 1975
    // A program image: "MZ", the new header at 64, "PE\0\0" there, the file long enough.
    std::string image(200, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[60] = 64;
    image.replace(64, 4, std::string("PE\0\0", 4));
    const std::wstring program = Source(L"tool.dat", image);
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring recent = Source(L"recent.txt", "2023");
    SetLastWriteTime(recent, 1700000000); // 14 November 2023 22:13:20 UTC

    HZIP zip = Create();
    ASSERT_EQ(ZipAdd(zip, old.c_str(), L"old.txt", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipAdd(zip, program.c_str(), L"tool.dat", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipAdd(zip, recent.c_str(), L"recent.txt", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipClose(zip), kZipOk);
    ZipFree(zip);
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);

    const ZipTestReader reader = Archive();
    ASSERT_EQ(reader.entries.size(), 3u);
    EXPECT_EQ(reader.entries[0].date, (0 << 9) | (1 << 5) | 1);
    EXPECT_EQ(reader.entries[0].time, 0);
    EXPECT_EQ(reader.entries[0].externalAttributes & 0xFFFF0000u, 0x81800000u);
    EXPECT_EQ(reader.entries[1].externalAttributes & 0xFFFF0001u, 0x81400001u); // read-only, runs
    EXPECT_EQ(reader.entries[2].date, ((2023 - 1980) << 9) | (11 << 5) | 14);
    EXPECT_EQ(reader.entries[2].time, (22 << 11) | (13 << 5) | 10);
}

TEST_F(ZipWriting, FailedAdditionsLeaveTheArchiveSound) {
    HZIP zip = Create();
    EXPECT_EQ(ZipAdd(zip, (folder / L"missing.txt").c_str(), L"missing.txt", kZipAddFile),
              kZipNoFile);
    EXPECT_EQ(ZipLastResult(), kZipNoFile);
    EXPECT_EQ(ZipAdd(zip, Source(L"a.txt", "a").c_str(), L"", kZipAddFile), kZipBadArgument);
    // A file another program holds open for writing cannot be read with the sharing asked.
    const std::wstring held = Source(L"held.txt", "held");
    KernelHandle holder(CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(ZipAdd(zip, held.c_str(), L"held.txt", kZipAddFile), kZipNoFile);
    holder.Reset();
    ASSERT_EQ(ZipAdd(zip, Source(L"b.txt", TextOf(5000)).c_str(), L"b.txt", kZipAddFile), kZipOk);
    ASSERT_EQ(ZipClose(zip), kZipOk);
    EXPECT_EQ(ZipAdd(zip, Source(L"c.txt", "c").c_str(), L"c.txt", kZipAddFile), kZipAlreadyClosed);
    EXPECT_EQ(ZipClose(zip), kZipAlreadyClosed);
    ZipFree(zip);
    EXPECT_EQ(ZipAdd(nullptr, nullptr, L"x", kZipAddFolder), kZipBadArgument);
    EXPECT_EQ(ZipClose(nullptr), kZipBadArgument);

    const ZipTestReader reader = Archive();
    ASSERT_TRUE(reader.ok);
    ASSERT_EQ(reader.entries.size(), 1u);
    EXPECT_EQ(reader.entries[0].offset, 0u); // nothing of the failed additions is left
    std::string out;
    EXPECT_TRUE(reader.Extract(reader.entries[0], out));
}

TEST_F(ZipWriting, AnExistingArchiveIsNeverReplaced) {
    WriteBytes(archive, "an earlier backup");
    EXPECT_EQ(ZipCreate(archive.c_str()), nullptr);
    EXPECT_EQ(ZipLastResult(), kZipNoFile);
    EXPECT_EQ(ReadBytes(archive), "an earlier backup");
}

TEST_F(ZipWriting, MoreThan65534EntriesGetZip64EndRecords) {
    HZIP zip = Create();
    constexpr int kEntries = 65536 + 10;
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(ZipAdd(zip, nullptr, (L"d" + std::to_wstring(i)).c_str(), kZipAddFolder), kZipOk);
    ASSERT_EQ(ZipAdd(zip, Source(L"last.txt", "the last one").c_str(), L"last.txt", kZipAddFile),
              kZipOk);
    ASSERT_EQ(ZipClose(zip), kZipOk);
    ZipFree(zip);
    const std::string bytes = ReadBytes(archive);
    const ZipTestReader reader(bytes);
    ASSERT_TRUE(reader.ok);
    EXPECT_TRUE(reader.zip64End);
    ASSERT_EQ(reader.entries.size(), static_cast<size_t>(kEntries + 1));
    std::string out;
    ASSERT_TRUE(reader.Extract(reader.entries.back(), out));
    EXPECT_EQ(out, "the last one");
    // The classic end record says "see Zip64" in its counts.
    EXPECT_EQ(static_cast<BYTE>(bytes[bytes.size() - 22 + 8]), 0xFF);
    EXPECT_EQ(static_cast<BYTE>(bytes[bytes.size() - 22 + 9]), 0xFF);
}

} // namespace
