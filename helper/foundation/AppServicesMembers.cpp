// The application's texts and settings: the language file and the settings cache that the
// application object holds, reached through it.
#include "ConfigurationManager.h"
#include "CritSecLock.h"
#include "IniReader.h"
#include "VantorixApp.h"

#include <cwchar>

namespace {

constexpr int kNumberTextSlots = 5;

} // namespace

CString CVantorixApp::GetLangString(LPCWSTR key, LPCWSTR section) {
    const bool current = !section || !*section;
    return ReadLangText(key, current ? m_strLangSection.GetString() : section, m_pLangReader,
                        nullptr);
}

CString CVantorixApp::GetLangStringA(LPCSTR key) {
    if (!key)
        return CString();
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, key, -1, nullptr, 0);
    CString wideKey;
    if (length > 0) {
        MultiByteToWideChar(CP_THREAD_ACP, 0, key, -1, wideKey.GetBuffer(length), length);
        wideKey.ReleaseBuffer();
    }
    return GetLangString(wideKey, nullptr);
}

DWORD CVantorixApp::GetSettingDword(LPCWSTR name) {
    return m_pSettings ? m_pSettings->GetDword(name) : 0;
}

LPCWSTR CVantorixApp::GetSettingString(LPCWSTR name) {
    return m_pSettings ? m_pSettings->GetString(name) : L"";
}

bool CVantorixApp::SetSettingDword(LPCWSTR name, DWORD value) {
    return m_pSettings && m_pSettings->SetDword(name, value);
}

bool CVantorixApp::SetSettingString(LPCWSTR name, LPCWSTR text) {
    return m_pSettings && m_pSettings->SetString(name, text);
}

bool CVantorixApp::ReadSettingDword(LPCWSTR name, DWORD& value) {
    return m_pSettings && m_pSettings->ReadDword(name, value);
}

bool CVantorixApp::ReadSettingString(LPCWSTR name, const CString& text) {
    return m_pSettings && m_pSettings->ReadString(name, text);
}

ULONGLONG CVantorixApp::GetSettingQword(LPCWSTR name) {
    return m_pSettings ? m_pSettings->GetQword(name) : 0;
}

bool CVantorixApp::SetSettingQword(LPCWSTR name, ULONGLONG value) {
    return m_pSettings &&
           m_pSettings->SetQword(name, static_cast<DWORD>(value), static_cast<DWORD>(value >> 32));
}

int CVantorixApp::GetSettingInt(LPCWSTR name) {
    const LPCWSTR text = GetSettingString(name);
    return text && *text ? _wtoi(text) : 0;
}

LPCWSTR CVantorixApp::GetSettingNumberText(LPCWSTR name) {
    static CCritSecLock lock;
    static CString slots[kNumberTextSlots];
    static int next = 0;
    const DWORD value = GetSettingDword(name);
    CCritSecGuard guard(lock);
    CString& slot = slots[next];
    next = (next + 1) % kNumberTextSlots;
    slot.Format(L"%d", static_cast<int>(value));
    return slot;
}

bool CVantorixApp::SetSettingInt(LPCWSTR name, int value) {
    wchar_t text[16];
    _snwprintf(text, 16, L"%d", value);
    text[15] = L'\0';
    return SetSettingString(name, text);
}
