// Arrays, lists and the string map: growth, index errors, insertion and removal, walking.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include "Throws.h"

#include <string>

namespace {

TEST(CArrayTest, GrowsWithValueInitialisedElements) {
    CDWordArray a;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(-1, a.GetUpperBound());
    a.SetSize(3);
    for (INT_PTR i = 0; i < 3; ++i)
        EXPECT_EQ(0u, a[i]);
    a.SetAtGrow(5, 7);
    EXPECT_EQ(6, a.GetSize());
    EXPECT_EQ(0u, a[4]);
    EXPECT_EQ(7u, a[5]);
    EXPECT_EQ(6, a.Add(8));
    a.SetSize(2);
    EXPECT_EQ(2, a.GetCount());

    CStringArray s;
    s.SetSize(2, 50);
    EXPECT_TRUE(s[1].IsEmpty());
    for (int i = 0; i < 1000; ++i)
        s.Add(L"x");
    EXPECT_EQ(1002, s.GetSize());
}

TEST(CArrayTest, IndexOutsideTheArrayThrowsInvalidArg) {
    CStringArray a;
    a.Add(L"one");
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(3, L"x"); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.ElementAt(1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a[2]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetSize(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.InsertAt(0, L"x", -1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.InsertAt(-1, L"x"); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(0, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAtGrow(-1, L"x"); }));
    EXPECT_EQ(1, a.GetSize());
    EXPECT_EQ(L"one", std::wstring(a[0]));
}

TEST(CArrayTest, InsertRemoveAppendCopy) {
    CStringArray a;
    a.Add(L"a");
    a.Add(L"d");
    a.InsertAt(1, L"b");
    a.InsertAt(2, L"c", 1);
    a.InsertAt(6, L"z", 2); // beyond the end: grows, empty places between
    ASSERT_EQ(8, a.GetSize());
    EXPECT_EQ(L"abcd", std::wstring(a[0]) + a[1].GetString() + a[2].GetString() + a[3].GetString());
    EXPECT_TRUE(a[4].IsEmpty());
    EXPECT_EQ(L"z", std::wstring(a[7]));
    a.RemoveAt(4, 4);
    a.RemoveAt(0);
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ(L"b", std::wstring(a[0]));

    a.SetAtGrow(3, a[0]); // an element of the array itself, while it grows
    EXPECT_EQ(L"b", std::wstring(a[3]));

    CStringArray b;
    b.Copy(a);
    EXPECT_EQ(4, b.Append(CStringArray())); // the index of the first appended element
    EXPECT_EQ(4, b.Append(a));
    EXPECT_EQ(8, b.GetSize());
    b.InsertAt(1, &a);
    EXPECT_EQ(12, b.GetSize());
    EXPECT_EQ(L"c", std::wstring(b[2]));
    b.RemoveAll();
    EXPECT_TRUE(b.IsEmpty());
}

TEST(CArrayTest, TypedPointerArraysKeepTheirType) {
    struct Item {
        int value;
    };
    Item one{1}, two{2};
    CTypedPtrArray<CPtrArray, Item*> items;
    items.Add(&one);
    items.InsertAt(0, &two);
    EXPECT_EQ(2, items[0]->value);
    EXPECT_EQ(1, items.GetAt(1)->value);
    items.ElementAt(1) = &two;
    EXPECT_EQ(&two, items.GetData()[1]);
    EXPECT_TRUE(ThrowsInvalidArg([&] { items.GetAt(2); }));
}

TEST(CListTest, WalksBothWaysAndEdits) {
    CStringList list;
    list.AddTail(L"b");
    list.AddHead(L"a");
    POSITION posC = list.AddTail(L"c");
    list.InsertBefore(posC, L"b2");
    list.InsertAfter(posC, L"d");
    EXPECT_EQ(5, list.GetCount());

    std::wstring forward;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        forward += list.GetNext(pos).GetString();
    EXPECT_EQ(L"abb2cd", forward);
    std::wstring backward;
    for (POSITION pos = list.GetTailPosition(); pos;)
        backward += list.GetPrev(pos).GetString();
    EXPECT_EQ(L"dcb2ba", backward);

    EXPECT_EQ(posC, list.Find(L"c"));
    EXPECT_EQ(nullptr, list.Find(L"c", posC));
    EXPECT_EQ(posC, list.FindIndex(3));
    EXPECT_EQ(nullptr, list.FindIndex(5));
    list.SetAt(posC, L"C");
    list.RemoveAt(list.Find(L"b2"));
    EXPECT_EQ(L"a", std::wstring(list.RemoveHead()));
    EXPECT_EQ(L"d", std::wstring(list.RemoveTail()));
    EXPECT_EQ(L"b", std::wstring(list.GetHead()));
    EXPECT_EQ(L"C", std::wstring(list.GetTail()));

    CStringList copy;
    copy.AddTail(&list);
    copy.AddHead(&list);
    EXPECT_EQ(4, copy.GetCount());
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.GetHead(); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.RemoveTail(); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] {
        POSITION none = nullptr;
        list.GetNext(none);
    }));
}

TEST(CMapStringToStringTest, LookupIsCaseSensitiveAndWalksEveryEntry) {
    CMapStringToString map;
    CString value;
    EXPECT_FALSE(map.Lookup(L"x", value));
    map.SetAt(L"pelq.iniPelqIDS_OK", L"OK");
    map[L"pelq.iniPelqIDS_CANCEL"] = L"Cancel";
    EXPECT_TRUE(map.Lookup(L"pelq.iniPelqIDS_OK", value));
    EXPECT_EQ(L"OK", std::wstring(value));
    EXPECT_FALSE(map.Lookup(L"pelq.iniPelqids_ok", value));
    map.SetAt(L"pelq.iniPelqIDS_OK", L"Okay");
    EXPECT_EQ(2, map.GetCount());

    for (int i = 0; i < 500; ++i) {
        CString key;
        key.Format(L"key%d", i);
        map.SetAt(key, key + L"=v");
    }
    EXPECT_EQ(502, map.GetCount());
    int seen = 0;
    CString key;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        if (key.Left(3) == L"key") {
            EXPECT_EQ(key + L"=v", value);
        }
        ++seen;
    }
    EXPECT_EQ(502, seen);
    EXPECT_TRUE(map.RemoveKey(L"key7"));
    EXPECT_FALSE(map.RemoveKey(L"key7"));
    EXPECT_FALSE(map.Lookup(L"key7", value));
    EXPECT_TRUE(map.Lookup(L"key499", value));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

} // namespace
