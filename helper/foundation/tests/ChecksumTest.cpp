// CRC-32, SHA-1 and MD5 against the published test vectors.
#include "Crc32Dynamic.h"
#include "MD5Checksum.h"
#include "SHA1.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Sha1Hex(const std::string& data) {
    CSHA1 sha;
    sha.Update(reinterpret_cast<const BYTE*>(data.data()), static_cast<UINT32>(data.size()));
    sha.Final();
    wchar_t text[80];
    EXPECT_TRUE(sha.ReportHash(text, CSHA1::kHexPlain));
    return std::string(text, text + wcslen(text));
}

std::wstring Md5(const std::string& data) {
    return std::wstring(CMD5Checksum::GetMD5OfBuffer(reinterpret_cast<const BYTE*>(data.data()),
                                                     static_cast<ULONG>(data.size())));
}

} // namespace

TEST(Crc32, TextOfAbcIsTheStandardValue) {
    CCrc32Dynamic crc;
    crc.Init();
    DWORD value = 0;
    EXPECT_EQ(0u, crc.TextCrc32(L"abc", value));
    EXPECT_EQ(0x352441C2u, value);
}

TEST(Crc32, FilesMatchTheCheckValueByEveryReader) {
    TempFolder folder;
    const std::wstring path = folder / L"check.txt";
    WriteBytes(path, "123456789");
    CCrc32Dynamic crc;
    crc.Init();
    DWORD plain = 0, inlined = 0, mapped = 0;
    EXPECT_EQ(0u, crc.FileCrc32(path.c_str(), plain));
    EXPECT_EQ(0u, crc.FileCrc32Inline(path.c_str(), inlined));
    EXPECT_EQ(0u, crc.FileCrc32Mapped(path.c_str(), mapped));
    EXPECT_EQ(0xCBF43926u, plain);
    EXPECT_EQ(plain, inlined);
    EXPECT_EQ(plain, mapped);

    // Across several 4,096-byte blocks.
    std::string big(10000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    WriteBytes(path, big);
    EXPECT_EQ(0u, crc.FileCrc32(path.c_str(), plain));
    EXPECT_EQ(0u, crc.FileCrc32Mapped(path.c_str(), mapped));
    EXPECT_EQ(plain, mapped);
}

TEST(Crc32, FailuresGiveTheirCodesAndTheCrcOfNothing) {
    TempFolder folder;
    CCrc32Dynamic crc;
    DWORD value = 1;
    EXPECT_EQ(kCrcNoTable, crc.TextCrc32(L"abc", value)); // no table yet
    EXPECT_EQ(0u, value);
    crc.Init();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              crc.FileCrc32((folder / L"missing").c_str(), value));
    EXPECT_EQ(0u, value);
    const std::wstring empty = folder / L"empty";
    WriteBytes(empty, "");
    value = 1;
    EXPECT_EQ(0u, crc.FileCrc32Mapped(empty.c_str(), value));
    EXPECT_EQ(0u, value);
}

TEST(Crc32, CopiesOwnTheirTables) {
    auto* original = new CCrc32Dynamic;
    original->Init();
    CCrc32Dynamic copy(*original);
    delete original; // must not take the copy's table with it
    DWORD value = 0;
    EXPECT_EQ(0u, copy.TextCrc32(L"abc", value));
    EXPECT_EQ(0x352441C2u, value);
    CCrc32Dynamic assigned;
    assigned = copy;
    EXPECT_EQ(0u, assigned.TextCrc32(L"abc", value));
}

TEST(Sha1, PublishedVectors) {
    EXPECT_EQ("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", Sha1Hex(""));
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", Sha1Hex("abc"));
    EXPECT_EQ("84983E441C3BD26EBAAE4AA1F95129E5E54670F1",
              Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("34AA973CD4C4DAA4F61EEB2BDBAD27316534016F", Sha1Hex(std::string(1000000, 'a')));
}

TEST(Sha1, ReportForms) {
    CSHA1 sha;
    sha.Update(reinterpret_cast<const BYTE*>("abc"), 3);
    sha.Final();
    wchar_t text[80];
    ASSERT_TRUE(sha.ReportHash(text, CSHA1::kHexWithSpaces));
    EXPECT_EQ(0, wcsncmp(text, L"A9 99 3E ", 9));
    EXPECT_EQ(59u, wcslen(text));
    ASSERT_TRUE(sha.ReportHash(text, CSHA1::kDecimalWithSpaces));
    EXPECT_EQ(0, wcsncmp(text, L"169 153 62 ", 11));
    EXPECT_FALSE(sha.ReportHash(text, 3));
    EXPECT_FALSE(sha.ReportHash(nullptr, CSHA1::kHexPlain));
}

TEST(Sha1, HashFileReadsEveryByte) {
    TempFolder folder;
    const std::wstring path = folder / L"data.bin";
    std::string data(8001, 'x');
    WriteBytes(path, data);
    CSHA1 fromFile;
    ASSERT_TRUE(fromFile.HashFile(path.c_str()));
    fromFile.Final();
    wchar_t fileText[80];
    ASSERT_TRUE(fromFile.ReportHash(fileText, CSHA1::kHexPlain));
    EXPECT_EQ(Sha1Hex(data), std::string(fileText, fileText + wcslen(fileText)));

    CSHA1 missing;
    EXPECT_FALSE(missing.HashFile((folder / L"none").c_str()));
    EXPECT_FALSE(missing.HashFile(nullptr));
}

TEST(Md5, PublishedVectors) {
    EXPECT_EQ(L"d41d8cd98f00b204e9800998ecf8427e", Md5(""));
    EXPECT_EQ(L"0cc175b9c0f1b6a831c399e269772661", Md5("a"));
    EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", Md5("abc"));
    EXPECT_EQ(L"f96b697d7cb7938d525a2f31aaf161d0", Md5("message digest"));
    EXPECT_EQ(L"c3fcd3d76192e4007dfb496cca67e13b", Md5("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(
        L"57edf4a22be3c955ac49da2e2107b67a",
        Md5("12345678901234567890123456789012345678901234567890123456789012345678901234567890"));
}

TEST(Md5, PiecewiseUpdatesMatchOneUpdate) {
    const std::string data(200, 'q');
    CMD5Checksum piecewise;
    for (size_t at = 0; at < data.size(); at += 7)
        piecewise.Update(reinterpret_cast<const BYTE*>(data.data() + at),
                         static_cast<ULONG>(std::min<size_t>(7, data.size() - at)));
    EXPECT_EQ(Md5(data), std::wstring(piecewise.Final()));
}
