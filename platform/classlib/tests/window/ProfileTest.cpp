// The application's profile in the registry: values round trip under
// HKCU\Software\<registry key>\<application>\<section>, and every key opened on the way is
// given back.
#include "classlib/App.h"

#include <gtest/gtest.h>
#include <owners/WinOwners.h>

#include <cstdint>
#include <string>

namespace {

class RegistryProfile : public ::testing::Test {
protected:
    RegistryProfile() : app_(L"Profile") {
        root_ = L"XarnProfileTest-" + std::to_wstring(GetCurrentProcessId());
        app_.SetRegistryKey(root_.c_str());
    }
    ~RegistryProfile() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + root_).c_str());
    }

    CWinApp app_;
    std::wstring root_;
};

// The value of the next handle the process is given: the system hands out the lowest free
// slot, so keys left open push it up.
uintptr_t NextHandleValue() {
    const KernelHandle probe(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return reinterpret_cast<uintptr_t>(probe.Get());
}

} // namespace

TEST_F(RegistryProfile, NumbersAndTextsRoundTrip) {
    EXPECT_EQ(7u, app_.GetProfileInt(L"Window", L"Missing", 7));
    ASSERT_TRUE(app_.WriteProfileInt(L"Window", L"Left", -12));
    EXPECT_EQ(static_cast<UINT>(-12), app_.GetProfileInt(L"Window", L"Left", 0));

    EXPECT_EQ(CString(L"none"), app_.GetProfileString(L"Paths", L"Last", L"none"));
    ASSERT_TRUE(app_.WriteProfileString(L"Paths", L"Last", L"C:\\caf\u00e9"));
    EXPECT_EQ(CString(L"C:\\caf\u00e9"), app_.GetProfileString(L"Paths", L"Last", L"none"));
    // A text asked for as a number is not one.
    EXPECT_EQ(3u, app_.GetProfileInt(L"Paths", L"Last", 3));

    ASSERT_TRUE(app_.WriteProfileString(L"Paths", L"Last", nullptr));
    EXPECT_EQ(CString(L"none"), app_.GetProfileString(L"Paths", L"Last", L"none"));

    const std::wstring section = L"Software\\" + root_ + L"\\Profile\\Window";
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, section.c_str(), 0, KEY_QUERY_VALUE, key.Put()));
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), L"Left", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(static_cast<DWORD>(-12), value);
}

TEST_F(RegistryProfile, EveryKeyOpenedIsGivenBack) {
    ASSERT_TRUE(app_.WriteProfileInt(L"Window", L"Top", 1)); // the keys exist from here on
    const uintptr_t before = NextHandleValue();
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(app_.WriteProfileInt(L"Window", L"Top", i));
        EXPECT_EQ(static_cast<UINT>(i), app_.GetProfileInt(L"Window", L"Top", -1));
        EXPECT_TRUE(app_.WriteProfileString(L"Window", L"Name", L"x"));
        EXPECT_EQ(CString(L"x"), app_.GetProfileString(L"Window", L"Name", nullptr));
    }
    EXPECT_NE(0u, before);
    EXPECT_LE(NextHandleValue(), before + 4 * sizeof(HANDLE));
}
