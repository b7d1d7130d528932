// CStdioFile lines in text and binary mode, and CFile::GetStatus.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TempFile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"cls", 0, path);
    }
    void TearDown() override { DeleteFileW(path); }

    std::vector<BYTE> Bytes() const {
        CFile file(path, CFile::modeRead);
        std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
        return bytes;
    }

    wchar_t path[MAX_PATH];
};

using StdioFile = TempFile;

TEST_F(StdioFile, TextModeWritesCrLfAndReadsLinesWithoutTheirEnd) {
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        file.WriteString(L"first\nsecond\n");
        file.WriteString(std::wstring(300, L'x').c_str());
        file.Close();
    }
    const std::vector<BYTE> bytes = Bytes();
    ASSERT_EQ(5u + 2 + 6 + 2 + 300, bytes.size());
    EXPECT_EQ('\r', bytes[5]);
    EXPECT_EQ('\n', bytes[6]);

    CStdioFile file(path, CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(L"first", std::wstring(line));
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(L"second", std::wstring(line));
    ASSERT_TRUE(file.ReadString(line)); // the last line has no line end
    EXPECT_EQ(std::wstring(300, L'x'), std::wstring(line));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST_F(StdioFile, BinaryModeKeepsUtf16Units) {
    {
        CStdioFile file(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        EXPECT_EQ(0u, file.GetPosition());
        const wchar_t mark = 0xFEFF;
        file.Write(&mark, 2);
        file.WriteString(L"\u00E4bc\r\nz");
        EXPECT_EQ(14u, file.GetPosition());
    }
    EXPECT_EQ(14u, Bytes().size());
    CStdioFile file(path, CFile::modeRead | CFile::typeBinary);
    EXPECT_EQ(14u, file.GetLength());
    file.Seek(2, CFile::begin);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(L"\u00E4bc\r", std::wstring(line));
    wchar_t buffer[8];
    ASSERT_NE(nullptr, file.ReadString(buffer, 8));
    EXPECT_EQ(L"z", std::wstring(buffer));
    EXPECT_EQ(nullptr, file.ReadString(buffer, 8));
}

TEST_F(StdioFile, NoTruncateAppendsAndMissingFilesFail) {
    {
        CStdioFile file(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        file.WriteString(L"a\n");
    }
    {
        CStdioFile file(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                  CFile::typeText);
        file.WriteString(L"b\n");
    }
    EXPECT_EQ(6u, Bytes().size());

    CStdioFile missing;
    CFileException error;
    EXPECT_FALSE(missing.Open(L"C:\\no such folder\\x.txt", CFile::modeRead, &error));
    EXPECT_EQ(CFileException::badPath, error.m_cause);
    CString line;
    bool thrown = false;
    try {
        missing.ReadString(line);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::invalidFile;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

using FileStatus = TempFile;

TEST_F(FileStatus, ReportsSizeTimesAttributesAndFullName) {
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        file.Write("12345", 5);
        CFileStatus open;
        ASSERT_TRUE(file.GetStatus(open));
        EXPECT_EQ(5u, open.m_size);
    }
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(5u, status.m_size);
    EXPECT_EQ(0, status.m_attribute & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_LE(_abs64(status.m_mtime.GetTime() - _time64(nullptr)), 120);
    EXPECT_EQ(0, lstrcmpiW(path, status.m_szFullName));

    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    ASSERT_TRUE(CFile::GetStatus(dir, status));
    EXPECT_NE(0, status.m_attribute & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_FALSE(CFile::GetStatus(L"", status));
    EXPECT_FALSE(CFile::GetStatus(L"C:\\no such folder\\x.txt", status));
    EXPECT_FALSE(CFile::GetStatus(L"C:\\*.*", status));
}

} // namespace
