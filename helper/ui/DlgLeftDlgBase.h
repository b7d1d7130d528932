// CDlgLeftDlgBase: the main window's navigation panel: up to eight side buttons, each showing
// its page, a scan link and an update link, all reported to the owner's action callback.
#pragma once

#include "DlgBaseWnd.h"
#include "HyperLinkBtn.h"
#include "LeftSideBtns.h"
#include "STBitmap.h"

#include <classlib/Array.h>

class CDlgLeftDlgBase;
// Action codes: 0 scan link, 1 update link, 3 + i side button i.
using LeftPanelActionCallback = void (*)(CDlgLeftDlgBase* panel, int action);

extern XARNHELPER_DATA CSTBitmap g_bmpLeftPanel;

class CDlgLeftDlgBase : public CDlgBaseWnd {
    DECLARE_DYNAMIC(CDlgLeftDlgBase)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr int kMaxSideButtons = 8;
    static constexpr int kScanLinkAction = 0;
    static constexpr int kUpdateLinkAction = 1;
    static constexpr int kFirstSideButtonAction = 3;

    CDlgLeftDlgBase(UINT templateId, CWnd* parent);
    ~CDlgLeftDlgBase() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    virtual int DrawPanel(CDC* dc);

    void PaintLeftPanel(CDC* dc, const RECT& rect);
    void SetPanelInfoText(CString text);
    void LayoutSideButtons(int count, const CStringArray& captions);
    void LayoutAllSideButtons(int count, const CStringArray& captions);
    void AddSideButton(CLeftSideBtns* button, LPCWSTR caption, UINT id, const RECT& rect,
                       int iconIndex);
    void SelectPage(CLeftSideBtns* button, CWnd* page);
    void LoadSideButtonImages(UINT pngId);
    void LoadAllSideButtonImages(UINT pngId);
    void EnableNavButtons(BOOL b0, BOOL b1, BOOL b2, BOOL b3, BOOL b4, BOOL b5, BOOL b6);
    void EnableActionButtons();
    void DisableActionButtons();
    int GetSideButtonCount() const { return m_nSideButtonCount; }

    // Set by the owner before the window is made: 1 binds the scan link, 2 gives the side
    // buttons icons; the application window sets 2 or 3.
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }
    int LayoutMode() const { return m_nLayoutMode; }
    // Called after every button of the panel; null calls nothing.
    void SetActionCallback(LeftPanelActionCallback callback) { m_pActionCallback = callback; }
    // The update link is shown only when set; the raised layout moves it 10 pixels up.
    void SetShowUpdateLink(bool show) { m_bShowUpdateLink = show ? 1 : 0; }
    void SetRaisedLayout(bool raised) { m_bRaisedLayout = raised ? 1 : 0; }

    // Side button 0 to 7 (index not checked: callers pass a slot they laid out).
    CLeftSideBtns& SideButton(int index) { return m_sideButtons[index]; }
    // The index of the button drawn as selected.
    int SelectedButtonIndex() const { return static_cast<int>(m_pSelectedButton - m_sideButtons); }

    // The page of each side button (0 to 7), owned by the panel from then on; several buttons
    // may share one page. An index outside 0 to 7 sets nothing and finds null.
    void SetPage(int index, CWnd* page) {
        if (index >= 0 && index < kMaxSideButtons)
            m_pages[index] = page;
    }
    CWnd* Page(int index) const {
        return index >= 0 && index < kMaxSideButtons ? m_pages[index] : nullptr;
    }
    // The page now shown; set by the owner when it shows a page itself.
    CWnd* CurrentPage() const { return m_pCurrentPage; }
    void SetCurrentPage(CWnd* page) { m_pCurrentPage = page; }

private:
    int m_nLayoutMode = 0;
    LeftPanelActionCallback m_pActionCallback = nullptr;
    CLeftSideBtns m_sideButtons[kMaxSideButtons];
    CLeftSideBtns* m_pSelectedButton = &m_sideButtons[0];
    CHyperLinkBtn m_updateLink;
    CHyperLinkBtn m_scanLink;
    int m_nSideButtonCount = 0;
    CString m_strAttention;
    CString m_strInfo;
    CRect m_rcInfo;
    BYTE m_bShowUpdateLink = 0;
    BYTE m_bRaisedLayout = 0;
    CWnd* m_pages[kMaxSideButtons] = {};
    CWnd* m_pCurrentPage = nullptr;

protected:
    void Layout(int count, const CStringArray& captions, int maxButtons, bool icons);
    void LoadImages(UINT pngId, int maxButtons);
    void Report(int action);
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    void OnUpdateLink();
    void OnScanLink();
    void OnSideButton(int index);
    void OnSideButton0() { OnSideButton(0); }
    void OnSideButton1() { OnSideButton(1); }
    void OnSideButton2() { OnSideButton(2); }
    void OnSideButton3() { OnSideButton(3); }
    void OnSideButton4() { OnSideButton(4); }
    void OnSideButton5() { OnSideButton(5); }
    void OnSideButton6() { OnSideButton(6); }
    void OnSideButton7() { OnSideButton(7); }
};
