// Texts by key: un-escaping and the cache, the override file, the search beside the library,
// the failure report, and the size texts built from unit words.
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "SizeTexts.h"
#include "TestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

std::vector<CString> g_reports;

// The language sub-folder as the outside library names it (ordinal 3).
CString IniSubFolder() {
    HMODULE xarnsys = LoadLibraryW(L"xarnsys.dll");
    auto entry = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(xarnsys, MAKEINTRESOURCEA(3))));
    return entry ? CString(entry()) : CString();
}

void CaptureReport(const CString& message) {
    g_reports.push_back(message);
}

class IniFiles : public ::testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        SetLangTextFailureReporter(&CaptureReport);
    }
    void TearDown() override { SetLangTextFailureReporter(nullptr); }

    // A file name of its own per test, so cached texts of one test never answer another.
    std::wstring Write(const std::wstring& name, const std::string& content) {
        const std::wstring path = folder_ / (name + L"-" + std::to_wstring(++files_) + L".ini");
        WriteBytes(path, content);
        return path;
    }

    TempFolder folder_;
    int files_ = 0;
};

} // namespace

TEST_F(IniFiles, EscapesBecomeControlCharacters) {
    const std::wstring path = Write(L"escapes", "[S]\r\n"
                                                "Line=first\\nsecond\r\n"
                                                "Tab=a\\tb\\rc\r\n"
                                                "Slash=C:\\\\dir\\\\path\r\n"
                                                "Mixed=x\\\\ny\r\n");
    CIniReader reader(path.c_str());
    CString text;
    EXPECT_TRUE(reader.ReadString(L"Line", L"S", text));
    EXPECT_EQ(CString(L"first\nsecond"), text);
    EXPECT_TRUE(reader.ReadString(L"Tab", L"S", text));
    EXPECT_EQ(CString(L"a\tb\rc"), text);
    EXPECT_TRUE(reader.ReadString(L"Slash", L"S", text));
    EXPECT_EQ(CString(L"C:\\dir\\path"), text);
    EXPECT_TRUE(reader.ReadString(L"Mixed", L"S", text));
    EXPECT_EQ(CString(L"x\\\ny"), text); // the line feed is made before the backslashes
}

TEST_F(IniFiles, LeadingQuoteIsDroppedThenServedFromTheCacheWithItsBlank) {
    const std::wstring path = Write(L"quote", "[S]\r\nQuoted=\"  hello\r\n");
    CIniReader reader(path.c_str());
    CString text;
    EXPECT_TRUE(reader.ReadString(L"Quoted", L"S", text));
    EXPECT_EQ(CString(L"hello"), text);
    DeleteFileW(path.c_str()); // the cache answers now
    EXPECT_TRUE(reader.ReadString(L"Quoted", L"S", text));
    EXPECT_EQ(CString(L"   hello"), text);
}

TEST_F(IniFiles, MissingKeysAreReadAgainAndNeverHit) {
    const std::wstring path = Write(L"missing", "[S]\r\nEmpty=\r\n");
    CIniReader reader(path.c_str());
    CString text(L"old");
    EXPECT_FALSE(reader.ReadString(L"Empty", L"S", text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_FALSE(reader.ReadString(L"Nowhere", L"S", text));
    WriteBytes(path, "[S]\r\nNowhere=found\r\n");
    EXPECT_TRUE(reader.ReadString(L"Nowhere", L"S", text));
    EXPECT_EQ(CString(L"found"), text);
}

TEST_F(IniFiles, OverrideFileWinsInItsClientSectionAndInTheCallersSection) {
    const std::wstring language = Write(L"pelq", "[Page]\r\n"
                                                 "Both=from language\r\n"
                                                 "Section=from language\r\n"
                                                 "Only=language only\r\n");
    const std::wstring client = Write(L"client", "[client]\r\nBoth=from client section\r\n"
                                                 "[Page]\r\nSection=client page\r\n");
    CIniReader* reader = OpenIniFile(language.c_str(), false);
    CIniReader* override = OpenIniFile(client.c_str(), false);
    ASSERT_NE(nullptr, reader);
    ASSERT_NE(nullptr, override);
    EXPECT_EQ(CString(L"from client section"), ReadLangText(L"Both", L"Page", reader, override));
    EXPECT_EQ(CString(L"client page"), ReadLangText(L"Section", L"Page", reader, override));
    EXPECT_EQ(CString(L"language only"), ReadLangText(L"Only", L"Page", reader, override));
    EXPECT_EQ(CString(L"language only"), ReadLangText(L"Only", L"Page", reader, nullptr));
    EXPECT_TRUE(g_reports.empty());
    CloseIniFile(override);
    CloseIniFile(reader);
}

TEST_F(IniFiles, EveryFailedLookupIsReportedWithKeyAndSection) {
    const std::wstring language = Write(L"pelq", "[Page]\r\nKnown=yes\r\n");
    CIniReader* reader = OpenIniFile(language.c_str(), false);
    ASSERT_NE(nullptr, reader);
    EXPECT_TRUE(ReadLangText(L"IDS_NOWHERE", L"Page", reader, nullptr).IsEmpty());
    EXPECT_TRUE(ReadLangText(L"IDS_NOWHERE", L"Page", reader, nullptr).IsEmpty());
    ASSERT_EQ(2u, g_reports.size());
    EXPECT_EQ(CString(L"Fail to Read: IDS_NOWHERE\r\nSection : Page"), g_reports[0]);
    EXPECT_EQ(g_reports[0], g_reports[1]);
    // A text that looks like a format is shown as it is.
    EXPECT_TRUE(ReadLangText(L"IDS_%s%n", L"%d", reader, nullptr).IsEmpty());
    EXPECT_EQ(CString(L"Fail to Read: IDS_%s%n\r\nSection : %d"), g_reports[2]);
    CloseIniFile(reader);
}

TEST_F(IniFiles, OpeningNeedsAnExistingFile) {
    EXPECT_EQ(nullptr, OpenIniFile((folder_ / L"absent.ini").c_str(), false));
    EXPECT_EQ(nullptr, OpenIniFile(L"", false));
    EXPECT_EQ(nullptr, OpenIniFile(L"   ", false));
    CloseIniFile(nullptr);
    EXPECT_FALSE(IsIniReader(nullptr));
    int notAReader[16] = {};
    EXPECT_FALSE(IsIniReader(notAReader));
    const std::wstring path = Write(L"any", "[S]\r\n");
    CIniReader* reader = OpenIniFile(path.c_str(), false);
    EXPECT_TRUE(IsIniReader(reader));
    CloseIniFile(reader);
}

// Beside the library: the language sub-folder first, then the library's folder, then its
// "pelq.ini" as the fallback for any name.
TEST_F(IniFiles, SearchBesideTheLibrary) {
    CString folder;
    GetModuleFolder(GetOwnModuleHandle(), folder);
    CString languageFolder = folder;
    AppendPath(languageFolder, IniSubFolder());
    ASSERT_FALSE(IniSubFolder().IsEmpty());
    CreateDirectoryW(languageFolder, nullptr);
    const std::wstring name = L"searchtest-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
    CString inLibraryFolder = folder;
    AppendPath(inLibraryFolder, name.c_str());
    CString inLanguageFolder = languageFolder;
    AppendPath(inLanguageFolder, name.c_str());
    WriteBytes(inLibraryFolder.GetString(), "[S]\r\nWhere=library folder\r\n");

    CIniReader* reader = OpenIniFile(name.c_str(), true);
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ(CString(L"library folder"), ReadLangText(L"Where", L"S", reader, nullptr));
    CloseIniFile(reader);

    WriteBytes(inLanguageFolder.GetString(), "[S]\r\nWhere2=language folder\r\n");
    reader = OpenIniFile(name.c_str(), true);
    EXPECT_EQ(CString(L"language folder"), ReadLangText(L"Where2", L"S", reader, nullptr));
    CloseIniFile(reader);

    // A name with a folder part skips the language folder.
    const std::wstring relative = std::wstring(IniSubFolder().GetString()) + L"\\" + name;
    reader = OpenIniFile(relative.c_str(), true);
    EXPECT_EQ(CString(L"language folder"), ReadLangText(L"Where2", L"S", reader, nullptr));
    CloseIniFile(reader);

    DeleteFileW(inLanguageFolder);
    DeleteFileW(inLibraryFolder);
    RemoveDirectoryW(languageFolder); // only when the test made it empty
}

TEST_F(IniFiles, GetLangStringReadsTheShippedLanguageFile) {
    EXPECT_EQ(CString(L"KB"), GetLangString(L"  IDS_KB_STR ", L"Pelq"));
    EXPECT_TRUE(g_reports.empty());
}

class SizeTexts : public IniFiles {
protected:
    void SetUp() override {
        IniFiles::SetUp();
        setlocale(LC_ALL, "C");
    }
    static std::wstring Size(ULONGLONG bytes, bool whole = false) {
        CString text;
        FormatSizeWithUnits(text, whole, bytes);
        return text.GetString();
    }
};

TEST_F(SizeTexts, UnitsStepUpAt1204) {
    EXPECT_EQ(L"1203 Bytes", Size(1203));
    EXPECT_EQ(L"1.18 KB", Size(1204));
    EXPECT_EQ(L"1203.22 KB", Size(1232100));
    EXPECT_EQ(L"1.18 MB", Size(1233000));
    EXPECT_EQ(L"1.18 MB", Size(1234000));
    EXPECT_EQ(L"1.50 GB", Size(1610612736ull));
    EXPECT_EQ(L"4096.00 GB", Size(4398046511104ull));
}

TEST_F(SizeTexts, WholeNumbersExceptGigabytes) {
    EXPECT_EQ(L"980 Bytes", Size(980, true));
    EXPECT_EQ(L"1 KB", Size(1204, true));
    EXPECT_EQ(L"1 MB", Size(1233000, true));
    EXPECT_EQ(L"1.50 GB", Size(1610612736ull, true));
}

TEST(StringArrays, SortAndSearch) {
    CStringArray array;
    for (const wchar_t* text : {L"b", L"A", L"c"})
        array.Add(text);
    SortStringArray(array, false, false);
    EXPECT_EQ(CString(L"A"), array[0]);
    EXPECT_EQ(CString(L"b"), array[1]);
    SortStringArray(array, false, true);
    EXPECT_EQ(CString(L"A"), array[0]);
    EXPECT_EQ(CString(L"c"), array[2]);
    SortStringArray(array, true, true);
    EXPECT_EQ(CString(L"c"), array[0]);
    EXPECT_EQ(CString(L"A"), array[2]);
    EXPECT_TRUE(StringArrayContains(array, L"B", false));
    EXPECT_TRUE(StringArrayContains(array, L"a", true));
    EXPECT_FALSE(StringArrayContains(array, L"d", true));
    CStringArray empty;
    SortStringArray(empty, false, false);
    EXPECT_FALSE(StringArrayContains(empty, L"a", false));
}

TEST(NumberTexts, GroupedByThousandsWithoutDecimals) {
    // The test prefix runs with the English (United States) user locale.
    wchar_t buffer[32];
    EXPECT_STREQ(L"1,234,567", FormatNumberGrouped(1234567, buffer, 32));
    EXPECT_STREQ(L"0", FormatNumberGrouped(0, buffer, 32));
    EXPECT_STREQ(L"999", FormatNumberGrouped(999, buffer, 32));
    EXPECT_STREQ(L"-1,000", FormatNumberGrouped(-1000, buffer, 32));
    EXPECT_STREQ(L"9,223,372,036,854,775,807",
                 FormatNumberGrouped(9223372036854775807LL, buffer, 32));
    // Too small a buffer gives an empty text, not a cut number.
    EXPECT_STREQ(L"", FormatNumberGrouped(1234567, buffer, 5));
    EXPECT_EQ(nullptr, FormatNumberGrouped(1, nullptr, 10));
}

TEST(ResourceTexts, MissingStringIsEmpty) {
    CString text(L"left over");
    LoadResourceText(text, 65000);
    EXPECT_TRUE(text.IsEmpty());
}
