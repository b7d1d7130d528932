// Registry round trips of every typed value, the serialised list values and the one-shot
// functions, on a key of this test's own.
#include "ConfigurationManager.h"
#include "Registry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

std::vector<BYTE> RawValue(CRegistry& registry, LPCWSTR name) {
    BYTE data[64] = {};
    DWORD size = sizeof data;
    EXPECT_TRUE(registry.ReadBinary(name, data, size));
    return std::vector<BYTE>(data, data + size);
}

} // namespace

TEST(Registry, TypedValuesRoundTrip) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));

    ASSERT_TRUE(registry.WriteString(L"Text", L"caf\u00e9 \u4e2d"));
    CString text;
    EXPECT_TRUE(registry.ReadString(L"Text", text));
    EXPECT_EQ(CString(L"caf\u00e9 \u4e2d"), text);

    ASSERT_TRUE(registry.WriteString(L"Expand", L"%TEMP%\\x", true));
    bool expandable = false;
    EXPECT_TRUE(registry.ReadStringType(L"Expand", text, expandable));
    EXPECT_TRUE(expandable);
    EXPECT_EQ(CString(L"%TEMP%\\x"), text); // not expanded

    ASSERT_TRUE(registry.WriteDwordValue(L"Number", 0xDEADBEEF));
    DWORD number = 0;
    EXPECT_TRUE(registry.ReadDword(L"Number", number));
    EXPECT_EQ(0xDEADBEEFu, number);

    ASSERT_TRUE(registry.WriteBool(L"Flag", true));
    bool flag = false;
    EXPECT_TRUE(registry.ReadBool(L"Flag", flag));
    EXPECT_TRUE(flag);

    const BYTE blob[] = {1, 2, 3, 0, 255};
    ASSERT_TRUE(registry.WriteBinary(L"Blob", blob, sizeof blob));
    EXPECT_EQ(std::vector<BYTE>(blob, blob + 5), RawValue(registry, L"Blob"));

    EXPECT_TRUE(registry.ValueExists(L"Blob"));
    EXPECT_TRUE(registry.DeleteValue(L"Blob"));
    EXPECT_FALSE(registry.ValueExists(L"Blob"));
}

TEST(Registry, TypeMismatchesAreRefused) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    const BYTE four[] = {1, 0, 0, 0};
    ASSERT_TRUE(registry.WriteBinary(L"Four", four, 4));
    DWORD number = 7;
    EXPECT_FALSE(registry.ReadDword(L"Four", number));
    number = 7;
    EXPECT_FALSE(registry.ReadDwordValue(L"Four", number));
    EXPECT_EQ(7u, number); // kept
    CString text(L"kept");
    EXPECT_FALSE(registry.ReadString(L"Four", text));
    EXPECT_EQ(CString(L"kept"), text);

    // A text stored without its terminator still reads as that text.
    HKEY raw = registry.GetKey();
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    RegSetValueExW(raw, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 6);
    EXPECT_TRUE(registry.ReadString(L"Bare", text));
    EXPECT_EQ(CString(L"abc"), text);
}

TEST(Registry, OpenWithReadAccessNeverCreates) {
    TestRegistryKey key;
    CRegistry reader(HKEY_CURRENT_USER);
    reader.SetAccess(KEY_READ);
    EXPECT_FALSE(reader.Open(HKEY_CURRENT_USER, key.Path(), true));
    EXPECT_FALSE(key.Exists());
    CRegistry writer(HKEY_CURRENT_USER);
    EXPECT_TRUE(writer.Open(HKEY_CURRENT_USER, key.Path(), true));
    EXPECT_TRUE(key.Exists());
}

TEST(Registry, AFailedOpenHoldsNoKeyAndWritesGoNowhere) {
    TestRegistryKey key;
    constexpr wchar_t kStray[] = L"XarnRegistryTestStray";
    for (const bool create : {false, true}) {
        CRegistry registry(HKEY_CURRENT_USER);
        registry.SetAccess(KEY_READ); // never creates, so the open of a missing key fails
        ASSERT_FALSE(registry.Open(HKEY_CURRENT_USER, key.Path(), create));
        EXPECT_EQ(nullptr, registry.GetKey());
        EXPECT_FALSE(registry.WriteString(kStray, L"lost"));
        EXPECT_FALSE(registry.WriteDwordValue(kStray, 1));
        const bool stray = RegQueryValueExW(HKEY_CURRENT_USER, kStray, nullptr, nullptr, nullptr,
                                            nullptr) == ERROR_SUCCESS;
        EXPECT_FALSE(stray) << "a value landed in the root of HKEY_CURRENT_USER";
        if (stray)
            RegDeleteValueW(HKEY_CURRENT_USER, kStray);
    }
}

// A value that grows between the read's sizing and its copy fails that read instead of
// answering success with the caller's old text.
TEST(Registry, AStringReadThatCannotCopyTheValueFails) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    const CString shortText(L"s");
    const CString longText(CString(L'L', 200));
    ASSERT_TRUE(registry.WriteString(L"Growing", shortText));

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        CRegistry other(HKEY_CURRENT_USER);
        if (!other.Open(HKEY_CURRENT_USER, key.Path(), false))
            return;
        for (bool grow = true; !stop.load(); grow = !grow)
            if (!other.WriteString(L"Growing", grow ? longText : shortText))
                return;
    });
    int failedReads = 0;
    int staleSuccesses = 0;
    const DWORD start = GetTickCount();
    while (failedReads < 20 && GetTickCount() - start < 10'000) {
        CString text(L"kept");
        bool expandable = true;
        if (!registry.ReadStringType(L"Growing", text, expandable)) {
            ++failedReads;
            EXPECT_EQ(CString(L"kept"), text);
        } else if (text != shortText && text != longText) {
            ++staleSuccesses;
        }
        EXPECT_FALSE(expandable);
    }
    stop = true;
    writer.join();
    EXPECT_EQ(0, staleSuccesses);
    EXPECT_GT(failedReads, 0) << "the value never grew between sizing and copying";
}

TEST(Registry, PointIsTheTwentyTwoByteImage) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    ASSERT_TRUE(registry.WriteSerialized(L"Point", POINT{3, 4}));
    EXPECT_EQ(22u, registry.GetLastSize());
    EXPECT_EQ(2u, registry.GetLastType());
    const std::vector<BYTE> expected = {5, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, RawValue(registry, L"Point"));

    POINT point{};
    EXPECT_TRUE(registry.ReadSerialized(L"Point", point));
    EXPECT_EQ(3, point.x);
    EXPECT_EQ(4, point.y);
    EXPECT_EQ(2u, registry.GetLastType());
    EXPECT_EQ(8u, registry.GetLastSize());
}

TEST(Registry, RectangleKeepsItsOrderAndSign) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    ASSERT_TRUE(registry.WriteSerialized(L"Rect", RECT{-10, 20, 300, 400}));
    const std::vector<BYTE> image = RawValue(registry, L"Rect");
    ASSERT_EQ(22u, image.size());
    EXPECT_EQ(20, image[2]);    // top first
    EXPECT_EQ(0x90, image[6]);  // bottom: 400
    EXPECT_EQ(0xF6, image[10]); // left: -10
    EXPECT_EQ(1u, registry.GetLastType());
    RECT rect{};
    EXPECT_TRUE(registry.ReadSerialized(L"Rect", rect));
    EXPECT_EQ(-10, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(300, rect.right);
    EXPECT_EQ(400, rect.bottom);
    EXPECT_EQ(16u, registry.GetLastSize());
}

TEST(Registry, CollectionsRoundTrip) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));

    CStringList list;
    list.AddTail(L"*.tmp");
    list.AddTail(L"C:\\Temp\\\u00e9");
    ASSERT_TRUE(registry.WriteSerialized(L"List", list));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), registry.GetLastType());
    CStringList listBack;
    listBack.AddTail(L"stale");
    EXPECT_TRUE(registry.ReadSerialized(L"List", listBack));
    ASSERT_EQ(2, listBack.GetCount());
    POSITION at = listBack.GetHeadPosition();
    EXPECT_EQ(CString(L"*.tmp"), listBack.GetNext(at));
    EXPECT_EQ(CString(L"C:\\Temp\\\u00e9"), listBack.GetNext(at));

    CStringArray strings;
    strings.Add(L"one");
    strings.Add(L"two");
    ASSERT_TRUE(registry.WriteSerialized(L"Strings", strings));
    CStringArray stringsBack;
    stringsBack.SetSize(2);
    EXPECT_TRUE(registry.ReadSerialized(L"Strings", stringsBack));
    EXPECT_EQ(CString(L"two"), stringsBack[1]);

    CWordArray words;
    words.Add(0x1234);
    words.Add(0xFFFF);
    ASSERT_TRUE(registry.WriteSerialized(L"Words", words));
    CWordArray wordsBack;
    wordsBack.SetSize(2);
    EXPECT_TRUE(registry.ReadSerialized(L"Words", wordsBack));
    EXPECT_EQ(0xFFFF, wordsBack[1]);

    CDWordArray dwords;
    dwords.Add(0x89ABCDEF);
    ASSERT_TRUE(registry.WriteSerialized(L"Dwords", dwords));
    CDWordArray dwordsBack;
    dwordsBack.SetSize(3); // the element count stays the caller's
    EXPECT_TRUE(registry.ReadSerialized(L"Dwords", dwordsBack));
    ASSERT_EQ(3, dwordsBack.GetSize());
    EXPECT_EQ(0x89ABCDEFu, dwordsBack[0]);
    EXPECT_EQ(0u, dwordsBack[1]);
}

TEST(Registry, ArraysReadBackWithTheCallersElementCount) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    CByteArray bytes;
    for (BYTE b : {10, 20, 30, 40, 50})
        bytes.Add(b);
    ASSERT_TRUE(registry.WriteSerialized(L"Bytes", bytes));

    CByteArray empty;
    EXPECT_TRUE(registry.ReadSerialized(L"Bytes", empty));
    EXPECT_EQ(0, empty.GetSize());
    CByteArray three;
    three.SetSize(3);
    EXPECT_TRUE(registry.ReadSerialized(L"Bytes", three));
    ASSERT_EQ(3, three.GetSize());
    EXPECT_EQ(10, three[0]);
    EXPECT_EQ(30, three[2]);

    CByteArray missing;
    EXPECT_FALSE(registry.ReadSerialized(L"Nothing", missing));
    EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), registry.GetLastError());
}

TEST(Registry, DamagedImagesDoNotEscapeAsExceptions) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    const BYTE truncated[] = {0x05, 0x00, 0x01}; // five words promised, none there
    ASSERT_TRUE(registry.WriteBinary(L"Bad", truncated, sizeof truncated));
    POINT point{7, 8};
    EXPECT_TRUE(registry.ReadSerialized(L"Bad", point));
    EXPECT_EQ(7, point.x);
    CStringList list;
    EXPECT_TRUE(registry.ReadSerialized(L"Bad", list));
}

TEST(Registry, EnumerationListsKeysAndValues) {
    TestRegistryKey key;
    CRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Open(HKEY_CURRENT_USER, key.Path(), true));
    ASSERT_TRUE(registry.WriteDwordValue(L"A", 1));
    ASSERT_TRUE(registry.WriteDwordValue(L"B", 2));
    for (const wchar_t* sub : {L"One", L"Two"}) {
        CRegistry child(HKEY_CURRENT_USER);
        ASSERT_TRUE(
            child.Open(HKEY_CURRENT_USER, (std::wstring(key.Path()) + L"\\" + sub).c_str(), true));
    }
    CStringArray names;
    EXPECT_TRUE(registry.EnumSubKeys(L"", names));
    EXPECT_EQ(2, names.GetSize());
    EXPECT_TRUE(registry.EnumValues(L"", names));
    EXPECT_EQ(2, names.GetSize());
    EXPECT_EQ(2, EnumRegValueNames(registry.GetKey(), names));
    DWORD count = 0;
    EXPECT_TRUE(registry.GetSubKeyCount(count));
    EXPECT_EQ(2u, count);
    EXPECT_TRUE(registry.GetValueCount(count));
    EXPECT_EQ(2u, count);
}

TEST(Registry, OneShotFunctions) {
    TestRegistryKey key;
    EXPECT_FALSE(RegValueExistsAt(HKEY_CURRENT_USER, key.Path(), L"X"));
    EXPECT_FALSE(key.Exists());
    EXPECT_EQ(0u, RegReadDwordAt(HKEY_CURRENT_USER, key.Path(), L"X"));
    EXPECT_TRUE(key.Exists()); // the read created the empty key

    EXPECT_TRUE(RegWriteDwordAt(HKEY_CURRENT_USER, key.Path(), L"X", 42));
    EXPECT_EQ(42u, RegReadDwordAt(HKEY_CURRENT_USER, key.Path(), L"X"));
    EXPECT_TRUE(RegWriteStringAt(HKEY_CURRENT_USER, key.Path(), L"S", L"abcd"));
    wchar_t buffer[5];
    wmemset(buffer, L'#', 5);
    EXPECT_FALSE(RegReadStringAt(HKEY_CURRENT_USER, key.Path(), L"S", buffer, 4));
    EXPECT_EQ(L'#', buffer[0]); // untouched
    EXPECT_TRUE(RegReadStringAt(HKEY_CURRENT_USER, key.Path(), L"S", buffer, 5));
    EXPECT_STREQ(L"abcd", buffer);
}

TEST(ConfigurationManager, SettingsLiveUnderTheProductKeyAndTitle) {
    CConfigurationManager* manager = CreateConfigurationManager(L"  XarnTest Settings  ");
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(CString(L"Software\\Halvenor\\Xarn\\XarnTest Settings"), manager->GetKey());
    const std::wstring key = manager->GetKey().GetString();
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());

    EXPECT_FALSE(manager->SetQword(L"Q", 1, 2)); // the key does not exist yet
    EXPECT_TRUE(manager->SetDword(L"D", 5));
    EXPECT_EQ(5u, manager->GetDword(L"D"));
    EXPECT_TRUE(manager->SetQword(L"Q", 1, 2));
    EXPECT_EQ(0x200000001ull, manager->GetQword(L"Q"));
    EXPECT_TRUE(manager->SetString(L"S", L"text"));
    EXPECT_EQ(0u, manager->GetDword(L"S")); // a text is no number
    EXPECT_STREQ(L"text", manager->GetString(L"S"));
    EXPECT_STREQ(L"", manager->GetString(L"Missing"));
    DWORD value = 9;
    EXPECT_FALSE(manager->ReadDword(L"Missing", value));
    EXPECT_TRUE(manager->ReadString(L"S", L""));

    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    delete manager;
}

TEST(ConfigurationManager, ATextStaysValidForSevenMoreCalls) {
    CConfigurationManager* manager = CreateConfigurationManager(L"XarnTest Ring");
    const std::wstring key = manager->GetKey().GetString();
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(manager->SetString(std::to_wstring(i).c_str(),
                                       (L"value " + std::to_wstring(i)).c_str()));
    LPCWSTR first = manager->GetString(L"0");
    EXPECT_STREQ(L"value 0", first);
    for (int i = 1; i < 8; ++i)
        manager->GetString(std::to_wstring(i).c_str());
    EXPECT_STREQ(L"value 0", first); // still held after seven more
    // The ninth call takes the first slot: the old pointer may dangle from here on.
    EXPECT_STREQ(L"value 8", manager->GetString(L"8"));
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    delete manager;
}
