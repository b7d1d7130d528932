// Reading the simulated-volume configuration: a value per drive letter, and values that are
// there but unusable, which must fail a run instead of sending it to the real drive.
#include "SimulatedVolumeConfig.h"

#include <owners/WinOwners.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kTestKey[] = L"Software\\Xarn Tests\\SimulatedVolumeConfig";

class SimulatedVolumeConfig : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, key.Put(), nullptr));
    }
    void TearDown() override {
        key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes));
    }
    void SetText(const wchar_t* name, const std::wstring& text) {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    RegistryKey key;
};

} // namespace

TEST_F(SimulatedVolumeConfig, OneValuePerDriveLetter) {
    EXPECT_EQ(L"SimulatedVolumeT", SimulatedVolumeValueName(L'T'));
    SetText(L"SimulatedVolumeT", L"C:\\images\\t.img");
    EXPECT_EQ(L"C:\\images\\t.img", ReadSimulatedVolumeImage(key.Get(), L'T'));
    EXPECT_EQ(L"C:\\images\\t.img", ReadSimulatedVolumeImage(key.Get(), L't'))
        << "names ignore case";
    EXPECT_EQ(std::nullopt, ReadSimulatedVolumeImage(key.Get(), L'U'));
    // Only letters name drives: nothing is looked up for anything else.
    SetText(L"SimulatedVolume#", L"C:\\images\\x.img");
    EXPECT_EQ(std::nullopt, ReadSimulatedVolumeImage(key.Get(), L'#'));
    EXPECT_EQ(std::nullopt, ReadSimulatedVolumeImage(key.Get(), L'\0'));
}

TEST_F(SimulatedVolumeConfig, ValuesThatAreThereButUnusableReadAsEmpty) {
    const DWORD number = 7;
    Set(L"SimulatedVolumeD", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(L"", ReadSimulatedVolumeImage(key.Get(), L'D'));
    SetText(L"SimulatedVolumeE", L"");
    EXPECT_EQ(L"", ReadSimulatedVolumeImage(key.Get(), L'E'));
}

TEST_F(SimulatedVolumeConfig, ExpandableTextsAreExpanded) {
    const std::wstring expandable = L"%TEMP%\\e.img";
    Set(L"SimulatedVolumeF", REG_EXPAND_SZ, expandable.c_str(),
        static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
    wchar_t expanded[MAX_PATH];
    ASSERT_LT(0u, ExpandEnvironmentStringsW(expandable.c_str(), expanded, MAX_PATH));
    EXPECT_EQ(expanded, ReadSimulatedVolumeImage(key.Get(), L'F'));
}

TEST_F(SimulatedVolumeConfig, TextsWithoutTerminatorOrWithAnEmbeddedOneAreCutSafely) {
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'a'};
    Set(L"SimulatedVolumeG", REG_SZ, unterminated, sizeof unterminated);
    EXPECT_EQ(L"C:\\a", ReadSimulatedVolumeImage(key.Get(), L'G'));
    const wchar_t embedded[] = {L'C', L':', L'\\', L'b', L'\0', L'x', L'\0'};
    Set(L"SimulatedVolumeH", REG_SZ, embedded, sizeof embedded);
    EXPECT_EQ(L"C:\\b", ReadSimulatedVolumeImage(key.Get(), L'H'));
    const std::wstring longPath = L"C:\\" + std::wstring(40'000, L'x');
    SetText(L"SimulatedVolumeI", longPath);
    EXPECT_EQ(longPath, ReadSimulatedVolumeImage(key.Get(), L'I'));
}
