// The suite's skinned pop-up: caption strip, close, maximise and restore boxes, and a draggable
// caption band.
#pragma once

#include "DlgBaseWnd.h"
#include "HoverButton.h"
#include "STBitmap.h"

class CDlgBaseChildPopUpWndBase;
using PopupCloseCallback = void (*)(CDlgBaseChildPopUpWndBase* popup);

class CDlgBaseChildPopUpWndBase : public CDlgBaseWnd {
    DECLARE_DYNCREATE(CDlgBaseChildPopUpWndBase)
    DECLARE_MESSAGE_MAP()
public:
    CDlgBaseChildPopUpWndBase();
    CDlgBaseChildPopUpWndBase(UINT templateId, CWnd* parent);
    ~CDlgBaseChildPopUpWndBase() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    virtual void OnBtnClose();
    virtual void OnSize(UINT type, int cx, int cy);

    void SetWindowSize(BOOL rounded, int width, int height);
    void SetCaptionStyle(int style);
    void ToggleMaximize();
    void DrawPageTitle(CDC* dc, const RECT& client, BOOL separator);
    void PaintWindowFrame(CDC* dc, const RECT& client);

    BYTE m_bRounded = 0;
    int m_nWindowHeight = 0;
    int m_nWindowWidth = 0;
    int m_nCaptionStyle = 0;
    CSTBitmap m_bmpCaptionStrip;
    BYTE m_bHasCloseBox = 1;
    BYTE m_bBottomBar = 1;
    BYTE m_bOverOverlay = 0;
    BYTE m_bPageTitle = 0;
    BYTE m_bTitleSeparator = 0;
    CHoverButton m_maximizeBox;
    CHoverButton m_restoreBox;
    CHoverButton m_closeBox;
    BYTE m_bMaximized = 0;
    BYTE m_bMaximizeAllowed = 0;
    int m_nMinTrackWidth = 772;
    int m_nMinTrackHeight = 583;
    int m_bCloseCallbackEnabled = 0;
    PopupCloseCallback m_pCloseCallback = nullptr;

protected:
    // Close box at (W - 30, T + 3); the maximise and restore boxes `boxTop` below the top.
    void PlaceCaptionButtons(int boxTop);
    int OnCreate(LPCREATESTRUCTW create);
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnSysCommand(UINT command, LPARAM lParam);
    bool InCaptionBand(CPoint point);
};
