// CJunkSettingsTab: what the five junk settings tabs share: their Apply and Load defaults
// buttons (handed to the host, which saves or resets every tab), their place for the buttons,
// the bottom bar, and the save and reset each tab does for its own controls.
#pragma once

#include <windows.h>

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>
#include "BitmapBackgroundList.h"
#include <classlib/CommonControls.h>
#include <classlib/MessageMap.h>

class CDlgCleanOptions;

class CJunkSettingsTab : public CDlgBaseWnd {
    DECLARE_MESSAGE_MAP()
public:
    CJunkSettingsTab(UINT templateId, CDlgCleanOptions* host);
    ~CJunkSettingsTab() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // Writes the tab's controls to the store; false when something could not be written.
    virtual bool Save() = 0;
    // Resets the store's values of the tab to their defaults and shows them.
    virtual void LoadDefaults() = 0;

    CHoverButtonWithText m_applyButton;
    CHoverButtonWithText m_defaultsButton;

protected:
    virtual void OnApply();
    void OnLoadDefaults();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    // Draws the tab's own content over the white background, under the bottom bar.
    virtual void PaintContent(CDC& dc, const CRect& client) = 0;
    // The list look of the settings lists: the given extended styles and the skin's list
    // background (bitmap 1128).
    static void StyleSettingsList(CBitmapBackgroundList& list, DWORD extendedStyles);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);

    CDlgCleanOptions* m_pHost;
};

// Text colour of the tabs' descriptions.
inline constexpr COLORREF kSettingsTextColour = RGB(72, 81, 90);
inline constexpr COLORREF kSettingsLineColour = RGB(230, 230, 230);
// The extended list styles of the settings lists: check boxes, full-row select, info tips,
// double buffering and single row.
inline constexpr DWORD kSettingsListStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                                             LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER |
                                             LVS_EX_SINGLEROW;
// A horizontal line in the colour at y from x1 to x2.
void DrawSettingsLine(CDC& dc, int x1, int x2, int y, COLORREF colour);
