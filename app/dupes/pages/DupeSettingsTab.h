// CDupeSettingsTab: what the duplicate finder's settings tabs share: the Save button, the
// Scan link that leads to the locations page, and the painted description, panel, heading,
// separators and note of the tab.
#pragma once

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>
#include <HyperLinkBtn.h>
#include <owners/WinOwners.h>

#include <initializer_list>
#include <vector>

// The painted parts of one tab.
struct DupeTabLook {
    LPCWSTR descriptionKey = nullptr;
    int descriptionBottom = 39;
    int panelTop = 36;
    int panelBottom = 269;
    POINT icon = {37, 45};
    LPCWSTR headingKey = nullptr;
    RECT heading = {};
    // Separator lines: the first from x = 38, the others from x = 58, all to x = 554.
    std::vector<int> separators;
    LPCWSTR noteKey = nullptr;
    // The note's rectangle as offsets from the client height (top, bottom).
    int noteLeft = 22, noteTop = -40, noteRight = 372, noteBottom = 10;
    // The Scan link's top as an offset from the client height.
    int scanTop = -83;
};

class CDupeSettingsTab : public CDlgBaseWnd {
    DECLARE_DYNAMIC(CDupeSettingsTab)
    DECLARE_MESSAGE_MAP()
public:
    CDupeSettingsTab(UINT templateId, CWnd* parent, LPCWSTR section, DupeTabLook look);

    BOOL OnInitDialog() override;
    // Writes the tab's settings; false when the store could not take them.
    [[nodiscard]] virtual bool SaveSettings() = 0;
    // Saves and tells the user the outcome.
    void OnSave();
    void OnScan();

    LPCWSTR m_pszSection;

protected:
    // Check boxes and radio buttons over the panel get its colour.
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    virtual void LayoutControls() {}
    void PlaceControls(std::initializer_list<RECT> places, std::initializer_list<int> ids);
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void Check(int id, bool checked) { ::CheckDlgButton(m_hWnd, id, checked ? 1 : 0); }
    void Enable(int id, bool enabled) { ::EnableWindow(::GetDlgItem(m_hWnd, id), enabled); }

    DupeTabLook m_look;
    bool m_bColourChecks = true;
    CHoverButtonWithText m_btnSave;
    CHyperLinkBtn m_linkScan;
    IconHandle m_icon;
    CRect m_rcNote;
};
