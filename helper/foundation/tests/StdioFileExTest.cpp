// Text files as UTF-16 with a byte-order mark or as 8-bit text, line by line.
#include "StdioFileEx.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(TextFiles, Utf16WithMarkReadsInTextMode) {
    TempFolder folder;
    const std::wstring path = folder / L"wide.txt";
    const wchar_t content[] = L"\xFEFF"
                              L"first \u4e2d\r\nsecond\r\n";
    WriteBytes(path, std::string(reinterpret_cast<const char*>(content),
                                 (sizeof content) - sizeof(wchar_t)));
    EXPECT_TRUE(CStdioFileEx::IsFileUnicode(path.c_str()));
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeText));
    EXPECT_TRUE(file.IsUnicode());
    EXPECT_EQ(17u, file.GetCharCount());
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(CString(L"first \u4e2d"), line);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(CString(L"second"), line);
    EXPECT_FALSE(file.ReadString(line));
}

TEST(TextFiles, EightBitLinesAndTheirEnds) {
    TempFolder folder;
    const std::wstring path = folder / L"narrow.txt";
    WriteBytes(path, "caf\xe9\r\nlone\rlast");
    EXPECT_FALSE(CStdioFileEx::IsFileUnicode(path.c_str()));
    CStdioFileEx file;
    file.SetCodePage(1252);
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary | CFile::typeText));
    EXPECT_FALSE(file.IsUnicode());
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(CString(L"caf\u00e9"), line);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(CString(L"lone\rlast"), line); // fgets splits at line feeds only
    EXPECT_FALSE(file.ReadString(line));
}

TEST(TextFiles, LoneCarriageReturnAtTheEndIsCut) {
    TempFolder folder;
    const std::wstring path = folder / L"cr.txt";
    WriteBytes(path, "text\r");
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary | CFile::typeText));
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(CString(L"text"), line);
}

TEST(TextFiles, UnicodeWriteStartsWithOneMark) {
    TempFolder folder;
    const std::wstring path = folder / L"out.txt";
    {
        CStdioFileEx file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText |
                                            CStdioFileEx::WriteUnicodeFlag);
        file.WriteString(L"a\r\n");
        file.WriteString(L"\u00e9\n");
    }
    const std::string bytes = ReadBytes(path);
    const std::string expected("\xFF\xFE"
                               "a\0\r\0\n\0\xE9\0\n\0",
                               12);
    EXPECT_EQ(expected, bytes);

    CStdioFileEx reader;
    ASSERT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::typeText));
    CString line;
    ASSERT_TRUE(reader.ReadString(line));
    EXPECT_EQ(CString(L"a"), line);
    ASSERT_TRUE(reader.ReadString(line));
    EXPECT_EQ(CString(L"\u00e9"), line);
}

TEST(TextFiles, EightBitWriteConvertsWithTheCodePage) {
    TempFolder folder;
    const std::wstring path = folder / L"ansi.txt";
    {
        CStdioFileEx file;
        file.SetCodePage(1252);
        ASSERT_TRUE(
            file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        file.WriteString(L"caf\u00e9 \u4e2d");
    }
    EXPECT_EQ("caf\xe9 #", ReadBytes(path)); // what the code page lacks becomes "#"
    CStdioFileEx missing;
    EXPECT_EQ(0u, missing.GetCharCount());
    EXPECT_FALSE(CStdioFileEx::IsFileUnicode((folder / L"none").c_str()));
}

TEST(TextConversions, WideAndEightBit) {
    wchar_t wide[16];
    EXPECT_EQ(4, MultiByteToWide("caf\xe9", wide, 16, 1252));
    EXPECT_STREQ(L"caf\u00e9", wide);
    EXPECT_EQ(2, MultiByteToWide("\xc3\xa9x", wide, 16, CP_UTF8));
    EXPECT_EQ(0, MultiByteToWide(nullptr, wide, 16, 1252));
    char narrow[16];
    EXPECT_EQ(5, WideToMultiByte(L"\u00e9\u4e2d", narrow, 16, CP_UTF8));
    EXPECT_EQ(6, WideToMultiByteSize(L"\u00e9\u4e2d", CP_UTF8));
    EXPECT_EQ(0, WideToMultiByte(L"x", narrow, 0, 1252));
    EXPECT_EQ(0, WideToMultiByte(nullptr, narrow, 16, 1252));
    EXPECT_NE(0u, GetCurrentLocaleCodePage());
}
