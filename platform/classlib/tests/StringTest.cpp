// CString: search and clamping, formatting with the platform's rules, editing, buffers.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring W(const CString& s) {
    return std::wstring(s.GetString(), s.GetLength());
}

TEST(CStringSearch, FindAnswersMinusOneWhenAbsentOrOutOfRange) {
    const CString s(L"c:\\windows\\temp");
    EXPECT_EQ(2, s.Find(L'\\'));
    EXPECT_EQ(10, s.Find(L'\\', 3));
    EXPECT_EQ(3, s.Find(L"windows"));
    EXPECT_EQ(-1, s.Find(L"Windows"));
    EXPECT_EQ(-1, s.Find(L'x'));
    EXPECT_EQ(-1, s.Find(L'c', -1));
    EXPECT_EQ(-1, s.Find(L'c', 100));
    EXPECT_EQ(-1, s.Find(L"temp", 100));
    EXPECT_EQ(-1, s.Find(static_cast<LPCWSTR>(nullptr)));
    EXPECT_EQ(10, s.ReverseFind(L'\\'));
    EXPECT_EQ(-1, s.ReverseFind(L'/'));
    EXPECT_EQ(1, s.FindOneOf(L":\\"));
    EXPECT_EQ(-1, s.FindOneOf(L"xyz"));
    EXPECT_EQ(-1, CString().Find(L'a'));
}

TEST(CStringSearch, MidLeftRightClamp) {
    const CString s(L"abcdef");
    EXPECT_EQ(L"cdef", W(s.Mid(2)));
    EXPECT_EQ(L"cd", W(s.Mid(2, 2)));
    EXPECT_EQ(L"ef", W(s.Mid(4, 100)));
    EXPECT_EQ(L"", W(s.Mid(10)));
    EXPECT_EQ(L"ab", W(s.Mid(-3, 2)));
    EXPECT_EQ(L"", W(s.Mid(2, -1)));
    EXPECT_EQ(L"abc", W(s.Left(3)));
    EXPECT_EQ(L"abcdef", W(s.Left(99)));
    EXPECT_EQ(L"", W(s.Left(-1)));
    EXPECT_EQ(L"ef", W(s.Right(2)));
    EXPECT_EQ(L"abcdef", W(s.Right(99)));
    EXPECT_EQ(L"", W(s.Right(-5)));
}

TEST(CStringSearch, TokenizeWalksTokensAndEndsWithMinusOne) {
    const CString s(L";;a;bb;;c");
    int pos = 0;
    EXPECT_EQ(L"a", W(s.Tokenize(L";", pos)));
    EXPECT_EQ(L"bb", W(s.Tokenize(L";", pos)));
    EXPECT_EQ(L"c", W(s.Tokenize(L";", pos)));
    EXPECT_EQ(L"", W(s.Tokenize(L";", pos)));
    EXPECT_EQ(-1, pos);
}

TEST(CStringFormat, FollowsThePlatformWideRules) {
    CString s;
    s.Format(L"%s service installed.\n", L"XarnStellmark");
    EXPECT_EQ(L"XarnStellmark service installed.\n", W(s));
    s.Format(L"%hs|%S", "narrow", "also");
    EXPECT_EQ(L"narrow|also", W(s));
    s.Format(L"%d-%02d %c", -5, 7, L'x');
    EXPECT_EQ(L"-5-07 x", W(s));
    s.Format(L"%I64u %I64d", 18446744073709551615ull, -9000000000ll);
    EXPECT_EQ(L"18446744073709551615 -9000000000", W(s));
    s.Format(L"%llu", 1234567890123ull);
    EXPECT_EQ(L"1234567890123", W(s));
    s.Format(L"%0.2f|%.0f|%u%%", 1.5, 2.5e6, 42u);
    EXPECT_EQ(L"1.50|2500000|42%", W(s));
    s.Format(L"%02u:%02u:%02u", 1u, 2u, 3u);
    EXPECT_EQ(L"01:02:03", W(s));
}

TEST(CStringFormat, HandlesLongOutputAndAppends) {
    const std::wstring longText(5000, L'z');
    CString s;
    s.Format(L"<%s>", longText.c_str());
    EXPECT_EQ(5002, s.GetLength());
    EXPECT_EQ(L'>', s[5001]);
    s = L"n=";
    s.AppendFormat(L"%d", 12);
    EXPECT_EQ(L"n=12", W(s));
    s.Format(L"%s", s.GetString()); // formatting from its own text
    EXPECT_EQ(L"n=12", W(s));
}

TEST(CStringEdit, TrimReplaceRemoveInsertDelete) {
    CString s(L" \t value \r\n");
    s.Trim();
    EXPECT_EQ(L"value", W(s));
    s = L"xxabcxx";
    s.TrimLeft(L'x');
    EXPECT_EQ(L"abcxx", W(s));
    s.TrimRight(L"cx");
    EXPECT_EQ(L"ab", W(s));

    s = L"-schedule /autofix";
    EXPECT_EQ(1, s.Replace(L'-', L' '));
    EXPECT_EQ(1, s.Replace(L'/', L' '));
    EXPECT_EQ(L" schedule  autofix", W(s));
    s = L"aXXbXXc";
    EXPECT_EQ(2, s.Replace(L"XX", L"-+-"));
    EXPECT_EQ(L"a-+-b-+-c", W(s));
    EXPECT_EQ(2, s.Replace(L"-+-", L""));
    EXPECT_EQ(L"abc", W(s));
    EXPECT_EQ(0, s.Replace(L"", L"q"));
    EXPECT_EQ(0, s.Replace(L"zz", L"q"));

    s = L"a.b.c";
    EXPECT_EQ(2, s.Remove(L'.'));
    EXPECT_EQ(L"abc", W(s));
    EXPECT_EQ(5, s.Insert(1, L"--"));
    EXPECT_EQ(L"a--bc", W(s));
    EXPECT_EQ(6, s.Insert(100, L'!'));
    EXPECT_EQ(L"a--bc!", W(s));
    EXPECT_EQ(7, s.Insert(-4, L'^'));
    EXPECT_EQ(L"^a--bc!", W(s));
    EXPECT_EQ(4, s.Delete(2, 3));
    EXPECT_EQ(L"^ac!", W(s));
}

TEST(CStringEdit, DeleteClampsCount) {
    CString s(L"abcdef");
    EXPECT_EQ(4, s.Delete(2, 2));
    EXPECT_EQ(L"abef", W(s));
    EXPECT_EQ(2, s.Delete(2, 100));
    EXPECT_EQ(L"ab", W(s));
    EXPECT_EQ(2, s.Delete(5));
    EXPECT_EQ(1, s.Delete(-1));
    EXPECT_EQ(L"b", W(s));
}

TEST(CStringEdit, CaseMappingCoversAllOfUnicode) {
    CString s(L"C:\\Users\\\u00C4RGER\\Temp");
    s.MakeLower();
    EXPECT_EQ(L"c:\\users\\\u00E4rger\\temp", W(s));
    s.MakeUpper();
    EXPECT_EQ(L"C:\\USERS\\\u00C4RGER\\TEMP", W(s));
}

TEST(CStringCompare, OrdinalAndCaseInsensitive) {
    const CString s(L"Apple");
    EXPECT_EQ(0, s.Compare(L"Apple"));
    EXPECT_LT(s.Compare(L"apple"), 0);
    EXPECT_EQ(0, s.CompareNoCase(L"aPPLE"));
    EXPECT_LT(s.CompareNoCase(L"banana"), 0);
    EXPECT_GT(s.CompareNoCase(L"APP"), 0);
    EXPECT_EQ(0, CString(L"\u00E4").CompareNoCase(L"\u00C4"));
    EXPECT_TRUE(s == L"Apple");
    EXPECT_TRUE(s != CString(L"apple"));
    EXPECT_TRUE(CString(L"a") < CString(L"b"));
    EXPECT_EQ(L"Apple pie!", W(s + L" pie" + L'!'));
}

TEST(CStringAccess, IndexOutsideTheTextThrowsInvalidArg) {
    CString s(L"ab");
    EXPECT_EQ(L'b', s.GetAt(1));
    s.SetAt(0, L'x');
    EXPECT_EQ(L"xb", W(s));
    for (int bad : {-1, 2}) {
        bool caught = false;
        try {
            s.GetAt(bad);
        } catch (CInvalidArgException* e) {
            caught = true;
            e->Delete();
        }
        EXPECT_TRUE(caught) << bad;
    }
    bool caught = false;
    try {
        s.SetAt(5, L'q');
    } catch (CException* e) {
        caught = e->IsKindOf(RUNTIME_CLASS(CInvalidArgException));
        e->Delete();
    }
    EXPECT_TRUE(caught);
}

TEST(CStringBuffer, GetBufferAndReleaseBuffer) {
    CString s(L"ab");
    LPWSTR p = s.GetBuffer(MAX_PATH);
    EXPECT_EQ(L'a', p[0]);
    wcscpy(p, L"C:\\Windows");
    s.ReleaseBuffer();
    EXPECT_EQ(L"C:\\Windows", W(s));
    p = s.GetBuffer(20);
    p[2] = 0;
    s.ReleaseBuffer(-1);
    EXPECT_EQ(L"C:", W(s));
    p = s.GetBufferSetLength(4);
    p[2] = L'x';
    p[3] = L'y';
    s.ReleaseBuffer();
    EXPECT_EQ(L"C:xy", W(s));
    s.GetBuffer(100);
    s.ReleaseBuffer(1);
    EXPECT_EQ(L"C", W(s));
    s.FreeExtra();
    EXPECT_EQ(L"C", W(s));
    CString empty;
    wcscpy(empty.GetBuffer(3), L"abc");
    empty.ReleaseBuffer();
    EXPECT_EQ(L"abc", W(empty));
}

TEST(CStringConvert, NarrowTextIsWidenedWithTheThreadCodePage) {
    EXPECT_EQ(L"plain", W(CString("plain")));
    EXPECT_EQ(L"ab", W(CString("abc", 2)));
    EXPECT_TRUE(CString(static_cast<LPCSTR>(nullptr)).IsEmpty());
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    char high[] = {static_cast<char>(0xE4), 0};
    wchar_t expected = 0;
    MultiByteToWideChar(CP_THREAD_ACP, 0, high, 1, &expected, 1);
    const CString widened(high);
    ASSERT_EQ(1, widened.GetLength());
    EXPECT_EQ(expected, widened[0]);
}

TEST(CStringValue, CopiesAndMovesAreIndependent) {
    CString a(L"one");
    CString b(a);
    b += L"two";
    EXPECT_EQ(L"one", W(a));
    EXPECT_EQ(L"onetwo", W(b));
    CString c(static_cast<CString&&>(b));
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(L"onetwo", W(c));
    c = c; // self-assignment keeps the text
    EXPECT_EQ(L"onetwo", W(c));
    c += c;
    EXPECT_EQ(L"onetwoonetwo", W(c));
    c = c.Mid(3, 3);
    EXPECT_EQ(L"two", W(c));
    CString many(L'-', 4);
    EXPECT_EQ(L"----", W(many));
    many.Empty();
    EXPECT_TRUE(many.IsEmpty());
    EXPECT_EQ(L'\0', *static_cast<LPCWSTR>(many));
}

} // namespace
