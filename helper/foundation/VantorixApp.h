// CVantorixApp: the application class the main program derives its own from. It decides
// whether the process runs at all (one instance per title, switches handed to the running
// one) and makes what every window needs before the first dialog opens: the language-text
// reader, the settings cache, the UI font and the shared fonts.
#pragma once

#include <windows.h>

#include <classlib/AppEx.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

class CConfigurationManager;
class CIniReader;

class CVantorixApp : public CWinAppEx {
    DECLARE_DYNCREATE(CVantorixApp)
    DECLARE_MESSAGE_MAP()
public:
    // Only the base and the value members: no reader, no title, no mutex name.
    CVantorixApp();
    // The title names the instance mutex and the settings key; the ini file holds the texts.
    CVantorixApp(LPCWSTR title, LPCWSTR iniName);
    ~CVantorixApp() override;

    // FALSE when this process is not to run: another instance runs and was brought to the
    // front, or took over this start's scheduling switches.
    BOOL InitInstance() override;
    int ExitInstance() override;
    void WinHelp(DWORD_PTR dwData, UINT nCmd) override;
    void HtmlHelp(DWORD_PTR dwData, UINT nCmd) override;
    // Opens the support web page; both help entry points come here.
    void ShowHelp(DWORD_PTR dwData, UINT nCmd);

    void SetLangSection(LPCWSTR section);
    // "Xarn_" + title + a fixed suffix.
    const CString& GetInstanceMutexName() const { return m_strMutexName; }

    // The current language's name; also the locale of the run-time library.
    static CString strCurLangPath;

    // Texts and settings through the application (app services)
    // The text of `key` from the application's language file; no section: the current one.
    CString GetLangString(LPCWSTR key, LPCWSTR section = nullptr);
    // GetLangString of an ANSI key, in the current section.
    CString GetLangStringA(LPCSTR key);
    // The application's settings cache; 0, empty or false before InitInstance made it.
    DWORD GetSettingDword(LPCWSTR name);
    // Valid until eight further string reads of any settings cache.
    LPCWSTR GetSettingString(LPCWSTR name);
    [[nodiscard]] bool SetSettingDword(LPCWSTR name, DWORD value);
    [[nodiscard]] bool SetSettingString(LPCWSTR name, LPCWSTR text);
    [[nodiscard]] bool ReadSettingDword(LPCWSTR name, DWORD& value);
    [[nodiscard]] bool ReadSettingString(LPCWSTR name, const CString& text);
    ULONGLONG GetSettingQword(LPCWSTR name);
    [[nodiscard]] bool SetSettingQword(LPCWSTR name, ULONGLONG value);
    // The string setting as a decimal number; 0 when empty.
    int GetSettingInt(LPCWSTR name);
    // The DWORD setting as decimal text, in one of five slots handed out in turn: up to five
    // such texts stay valid at once.
    LPCWSTR GetSettingNumberText(LPCWSTR name);
    [[nodiscard]] bool SetSettingInt(LPCWSTR name, int value);

protected:
    CIniReader* m_pLangReader = nullptr;
    CString m_strLangSection;
    CString m_strMutexName;
    CConfigurationManager* m_pSettings = nullptr;
};

CVantorixApp* CreateVantorixApp();
