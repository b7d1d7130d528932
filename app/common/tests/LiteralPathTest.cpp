// Literal paths: the long-path form of drive and network paths, refusal of paths that the system
// would take to another item, the ordinary form's faithfulness, and the file system's name order.
#include "LiteralPath.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(LiteralPath, DriveAndNetworkPathsTakeTheLongPathForm) {
    EXPECT_EQ(ToLiteralPath(L"C:\\Data\\a.txt"), CString(L"\\\\?\\C:\\Data\\a.txt"));
    EXPECT_EQ(ToLiteralPath(L"c:/Data/a.txt"), CString(L"\\\\?\\c:\\Data\\a.txt"));
    EXPECT_EQ(ToLiteralPath(L"C:\\Data\\"), CString(L"\\\\?\\C:\\Data"));
    // A drive root keeps its backslash: without it the long form names the volume itself.
    EXPECT_EQ(ToLiteralPath(L"C:"), CString(L"\\\\?\\C:\\"));
    EXPECT_EQ(ToLiteralPath(L"C:\\"), CString(L"\\\\?\\C:\\"));
    EXPECT_EQ(ToLiteralPath(L"\\\\server\\share\\dir\\f"),
              CString(L"\\\\?\\UNC\\server\\share\\dir\\f"));
    EXPECT_EQ(ToLiteralPath(L"\\\\server\\share"), CString(L"\\\\?\\UNC\\server\\share\\"));
    EXPECT_EQ(ToLiteralPath(L"\\\\?\\C:\\x"), CString(L"\\\\?\\C:\\x"));
    EXPECT_EQ(ToLiteralPath(L"\\\\?\\UNC\\s\\sh\\x"), CString(L"\\\\?\\UNC\\s\\sh\\x"));
}

TEST(LiteralPath, NamesWithTrailingDotsBlanksAndAnyScriptStayAsTheyAre) {
    EXPECT_EQ(ToLiteralPath(L"C:\\d\\dup.txt."), CString(L"\\\\?\\C:\\d\\dup.txt."));
    EXPECT_EQ(ToLiteralPath(L"C:\\d\\sp.txt "), CString(L"\\\\?\\C:\\d\\sp.txt "));
    EXPECT_EQ(ToLiteralPath(L"C:\\d.\\x"), CString(L"\\\\?\\C:\\d.\\x"));
    const CString scripts = L"C:\\\u6f22\u5b57\\\U0001F600 e\u0301.txt";
    EXPECT_EQ(ToLiteralPath(scripts), L"\\\\?\\" + scripts);
    CString deep = L"C:";
    for (int i = 0; i < 40; ++i)
        deep += L"\\folder-" + CString(std::to_wstring(i).c_str());
    ASSERT_GT(deep.GetLength(), MAX_PATH);
    EXPECT_EQ(ToLiteralPath(deep), L"\\\\?\\" + deep);
}

TEST(LiteralPath, PathsThatWouldReachAnotherItemAreRefused) {
    for (const wchar_t* path :
         {L"", L"dir\\a.txt", L"\\dir\\a.txt", L"C:dir\\a.txt", L"C:\\x\\.", L"C:\\y\\..\\x",
          L"C:\\.\\x", L"C:\\a\\\\b", L"C:\\a\\f.txt::$DATA", L"C:\\a\\f.txt:stream",
          L"C:\\a\\*.txt", L"C:\\a\\f?.txt", L"C:\\a\\b\x01", L"\\\\.\\C:\\x", L"\\\\server",
          L"\\\\server\\", L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\x",
          L"\\\\?\\C:\\x\\..\\y", L"1:\\x"}) {
        EXPECT_TRUE(ToLiteralPath(path).IsEmpty()) << testing::PrintToString(std::wstring(path));
    }
}

TEST(LiteralPath, OrdinaryFormDropsThePrefix) {
    EXPECT_EQ(ToOrdinaryPath(L"\\\\?\\C:\\x\\y."), CString(L"C:\\x\\y."));
    EXPECT_EQ(ToOrdinaryPath(L"\\\\?\\UNC\\s\\sh\\x"), CString(L"\\\\s\\sh\\x"));
    EXPECT_EQ(ToOrdinaryPath(L"C:\\x"), CString(L"C:\\x"));
}

TEST(LiteralPath, OrdinaryFormIsFaithfulOnlyWhereNothingIsRewritten) {
    EXPECT_TRUE(IsOrdinaryFormFaithful(L"C:\\Data\\report.txt"));
    EXPECT_TRUE(IsOrdinaryFormFaithful(L"\\\\?\\C:\\Data\\report.txt"));
    EXPECT_TRUE(IsOrdinaryFormFaithful(L"C:\\Data\\.hidden"));
    EXPECT_TRUE(IsOrdinaryFormFaithful(L"C:\\Data\\console.txt"));
    EXPECT_TRUE(IsOrdinaryFormFaithful(L"C:\\Data\\com10"));
    for (const wchar_t* path :
         {L"C:\\Data\\dup.txt.", L"C:\\Data\\sp.txt ", L"C:\\Dir.\\a", L"C:\\Dir \\a",
          L"C:\\Data\\nul", L"C:\\Data\\NUL.txt", L"C:\\Data\\con .log", L"C:\\Data\\com1",
          L"C:\\Data\\lpt9.doc", L"C:\\aux\\x", L"C:\\x\\..\\y", L"relative"}) {
        EXPECT_FALSE(IsOrdinaryFormFaithful(path)) << testing::PrintToString(std::wstring(path));
    }
    CString longPath = L"C:\\" + CString(std::wstring(MAX_PATH - 3, L'a').c_str());
    EXPECT_FALSE(IsOrdinaryFormFaithful(longPath));
    longPath.Delete(longPath.GetLength() - 1);
    EXPECT_TRUE(IsOrdinaryFormFaithful(longPath)); // 259 characters
}

TEST(LiteralPath, NamesCompareOrdinallyIgnoringCase) {
    EXPECT_TRUE(SameFileName(L"Report.TXT", L"report.txt"));
    EXPECT_TRUE(SameFileName(L"\u00c4rger", L"\u00e4RGER"));
    EXPECT_TRUE(SameFileName(L"\u0416\u0443\u043a", L"\u0436\u0423\u041a"));
    // Ordinal: a precomposed letter is not its decomposed spelling, and nothing is skipped.
    EXPECT_FALSE(SameFileName(L"caf\u00e9", L"cafe\u0301"));
    EXPECT_FALSE(SameFileName(L"a-b", L"ab"));
    EXPECT_FALSE(SameFileName(L"dup.txt", L"dup.txt."));
    EXPECT_FALSE(SameFileName(L"\U0001F600", L"\U0001F601"));
    EXPECT_LT(CompareFileNames(L"a", L"B"), 0);
    EXPECT_GT(CompareFileNames(L"b", L"A"), 0);
    EXPECT_EQ(CompareFileNames(L"\u6f22\u5b57", L"\u6f22\u5b57"), 0);
}

TEST(LiteralPath, WithinComparesWholeComponents) {
    EXPECT_TRUE(IsPathWithin(L"C:\\Data\\a\\b.txt", L"C:\\Data"));
    EXPECT_TRUE(IsPathWithin(L"c:\\DATA\\a", L"C:\\data\\"));
    EXPECT_TRUE(IsPathWithin(L"C:\\Data", L"C:\\Data"));
    EXPECT_TRUE(IsPathWithin(L"C:\\Data\\x", L"C:\\"));
    EXPECT_TRUE(IsPathWithin(L"C:\\Data\\x", L"C:"));
    EXPECT_TRUE(IsPathWithin(L"\\\\?\\C:\\Data\\x", L"C:\\Data"));
    EXPECT_TRUE(IsPathWithin(L"\\\\srv\\Share\\x", L"\\\\SRV\\share"));
    EXPECT_FALSE(IsPathWithin(L"C:\\Database\\x", L"C:\\Data"));
    EXPECT_FALSE(IsPathWithin(L"C:\\Data", L"C:\\Data\\x"));
    EXPECT_FALSE(IsPathWithin(L"D:\\Data\\x", L"C:\\Data"));
    EXPECT_FALSE(IsPathWithin(L"C:\\Data.\\x", L"C:\\Data"));
    EXPECT_FALSE(IsPathWithin(L"C:\\Data\\..\\Other\\x", L"C:\\Data"));
    EXPECT_FALSE(IsPathWithin(L"C:\\Data\\.\\x", L"C:\\Data"));
    EXPECT_FALSE(IsPathWithin(L"\\\\srv\\share2\\x", L"\\\\srv\\share"));
    EXPECT_FALSE(IsPathWithin(L"x", L"C:\\"));
    // Below: within, and not the folder itself in any spelling.
    EXPECT_TRUE(IsPathBelow(L"C:\\Data\\a", L"c:\\data\\"));
    EXPECT_TRUE(IsPathBelow(L"C:\\Data", L"C:"));
    EXPECT_FALSE(IsPathBelow(L"c:\\DATA\\", L"C:\\Data"));
    EXPECT_FALSE(IsPathBelow(L"C:\\", L"C:"));
    EXPECT_FALSE(IsPathBelow(L"C:\\Data", L"C:\\Data\\x"));
    EXPECT_FALSE(IsPathBelow(L"C:\\Database\\x", L"C:\\Data"));
}

} // namespace
