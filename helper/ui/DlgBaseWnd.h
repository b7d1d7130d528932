// CDlgBaseWnd: the dialog base of every window of the suite: white background, the UI font,
// optional tooltips, a held Enter or Escape that does not close it, a paint hook and shared
// drawing and layout operations.
#pragma once

#include <windows.h>

#include <classlib/AppEx.h>
#include <classlib/Dialog.h>
#include <classlib/Gdi.h>
#include <classlib/MessageMap.h>

#include "STDialogFont.h"
#include "XarnHelperApi.h"

class CHoverButtonWithText;
class CDlgBaseWnd;

// Takes over a dialog's painting: (dialog, user value, device context, client rectangle).
using DlgPaintCallback = int (*)(CDlgBaseWnd* dialog, int userValue, CDC* dc, RECT* client);

extern XARNHELPER_DATA BYTE g_bShowToolTips;
// The attention icon (1294), loaded once for the process; the panels draw it.
extern XARNHELPER_DATA HICON g_hAttentionIcon;

// The application's title (string resource AFX_IDS_APP_TITLE) and icon (g_hAppIcon).
void TakeApplicationIdentity(CWnd* window);

// The skin frame's edge sizes: widths of the left (1107) and right (1108) edges, heights of
// the top (1110) and bottom (1105) ones; measured once.
struct SkinFrameEdges {
    int left, right, top, bottom;
};
const SkinFrameEdges& GetSkinFrameEdges();

class CDlgBaseWnd : public CDialog {
    DECLARE_DYNCREATE(CDlgBaseWnd)
    DECLARE_MESSAGE_MAP()
public:
    CDlgBaseWnd();
    CDlgBaseWnd(UINT templateId, CWnd* parent);
    ~CDlgBaseWnd() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL Create(UINT templateId, CWnd* parent = nullptr) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void SetPaintCallback(DlgPaintCallback callback, BOOL enabled, int userValue);
    // True when a paint callback was given and is enabled. (A function's code is not writable,
    // so a write-access probe of the callback would refuse every real one.)
    bool HasPaintCallback() const;
    int CallPaintCallback(CDC* dc, RECT* client);
    // Hands the painting of the client area to the paint callback when there is one; true
    // when it took it.
    bool PaintThroughCallback(CDC* dc);

    void StyleLightTextButton(CHoverButtonWithText* button);
    void StyleDarkTextButton(CHoverButtonWithText* button);
    // Dialog units of the product's dialog font to pixels, each product rounded up.
    void MoveDlgItemScaled(int id, int x, int y, int cx, int cy);
    void MoveDlgItemScaledPos(int id, int x, int y, int cx, int cy);
    static void DrawSkinFrame(CDC* dc, const RECT& rect);
    void PostCommandToParent(UINT id);
    void PostCommandToSelf(UINT id);
    static DWORD LaunchUpdateCheck();
    static void OpenOnlineHelp();
    LRESULT OnPassThroughMessage(WPARAM wParam, LPARAM lParam);
    // The attention icon, loaded on first use.
    static HICON AttentionIcon();

    CSTDialogFont m_templateFont;
    UINT m_nTemplateId = 0;
    BYTE m_bPassThrough = 0;
    BYTE m_bIgnoreHeldEnter = 1;
    BYTE m_bIgnoreHeldEscape = 1;
    CMFCToolTipCtrl m_toolTip;
    DlgPaintCallback m_pPaintCallback = nullptr;
    BYTE m_bPaintCallbackEnabled = 0;
    int m_nPaintCallbackValue = 0;
    BYTE m_bBottomStrip = 0;

protected:
    void ResetBase();
    // Whether the key is held down now (its down bit; the "pressed since the last query" bit
    // is set once even by a key released long ago, also by another program).
    virtual bool IsKeyHeld(int virtualKey) const;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    BOOL OnHelpInfo(HELPINFO* info);
};
