// AfxIsValidAddress and AfxIsValidString against real page protections.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Two committed pages: the first read-write, the second without access.
class Pages : public ::testing::Test {
protected:
    void SetUp() override {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page = info.dwPageSize;
        base = static_cast<BYTE*>(
            VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        ASSERT_NE(nullptr, base);
        DWORD old;
        ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
    }
    void TearDown() override { VirtualFree(base, 0, MEM_RELEASE); }

    BYTE* base = nullptr;
    DWORD page = 0;
};

TEST_F(Pages, AddressesInsideAndAcrossRegions) {
    int local = 0;
    EXPECT_TRUE(AfxIsValidAddress(&local, sizeof(local)));
    EXPECT_FALSE(AfxIsValidAddress(nullptr, 4));
    EXPECT_TRUE(AfxIsValidAddress(base, page));
    EXPECT_FALSE(AfxIsValidAddress(base, page + 1));
    EXPECT_FALSE(AfxIsValidAddress(base + page, 4, FALSE));

    DWORD old;
    ASSERT_TRUE(VirtualProtect(base, page, PAGE_READONLY, &old));
    EXPECT_TRUE(AfxIsValidAddress(base, 4, FALSE));
    EXPECT_FALSE(AfxIsValidAddress(base, 4, TRUE));
    EXPECT_TRUE(AfxIsValidAddress(L"literal", 4, FALSE));
}

TEST_F(Pages, StringsMustEndBeforeTheUnreadablePage) {
    EXPECT_TRUE(AfxIsValidString(L"text"));
    EXPECT_FALSE(AfxIsValidString(nullptr));
    wchar_t* last = reinterpret_cast<wchar_t*>(base + page) - 3;
    last[0] = L'a';
    last[1] = L'b';
    last[2] = 0;
    EXPECT_TRUE(AfxIsValidString(last));
    last[2] = L'c'; // the terminator would lie in the unreadable page
    EXPECT_FALSE(AfxIsValidString(last));
    EXPECT_TRUE(AfxIsValidString(last, 3));
    EXPECT_FALSE(AfxIsValidString(last, 4));

    // A string at an odd address whose last character straddles into the unreadable page.
    BYTE* odd = base + page - 3;
    memset(odd, 'a', 3);
    EXPECT_FALSE(AfxIsValidString(reinterpret_cast<LPCWSTR>(odd)));
    odd[0] = odd[1] = 0;
    EXPECT_TRUE(AfxIsValidString(reinterpret_cast<LPCWSTR>(odd)));
}

} // namespace
