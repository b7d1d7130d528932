// The suite's skinned message box: an HTML or plain message, up to five text buttons from the
// right, an optional icon or image, a close box and, in the caller's-buttons style, a
// "do not show again" check box whose state is kept in the registry.
#pragma once

#include "DlgBaseWnd.h"
#include "HoverButton.h"
#include "HoverButtonWithText.h"
#include "STBitmap.h"

#include <classlib/Array.h>
#include <classlib/Controls.h>

class CDlgBaseMessageBoxWndBase : public CDlgBaseWnd {
    DECLARE_DYNCREATE(CDlgBaseMessageBoxWndBase)
    DECLARE_MESSAGE_MAP()
public:
    // Button styles of SetupButtons.
    enum Style {
        kOk = 0,
        kYesNo = 1,
        kOkCancel = 2,
        kCallerButtonsWithCheck = 3,
        kCallerButtons = 4
    };
    static constexpr int kMaxButtons = 5;

    CDlgBaseMessageBoxWndBase();
    CDlgBaseMessageBoxWndBase(UINT templateId, CWnd* parent);
    ~CDlgBaseMessageBoxWndBase() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void SetupButtons(int style, int count, const CStringArray* captions, int defaultIndex,
                      BOOL large);
    void SetBoxRect(const RECT& rect);
    void SetMessageText(LPCWSTR text);
    void SetSideImage(UINT bitmapId);
    void SetCenterImage(UINT bitmapId);
    void SetMessageIcon(UINT bitmapId);
    void SetResult(int code);
    int GetResult() const { return m_nResult; }
    void SaveDontShowAgain();
    // The registry value that keeps this box's check state: one per distinct message.
    CString DontShowValueName() const;
    // Grows `box` so that the message fits and returns the message rectangle for it.
    void MeasureMessage(CDC* dc, CRect& box);
    static CRect MessageRectFor(const CRect& box);

    int m_nButtonCount = 0;
    CStringArray m_captions;
    int m_nDefaultButton = 0;
    CRect m_rcBox;
    CRect m_rcMessage;
    CRect m_rcCheckLabel;
    CString m_strMessage;
    int m_bSideImage = 0;
    int m_bCenterImage = 0;
    int m_bMessageIcon = 0;
    CSTBitmap m_bmpSide;
    CSTBitmap m_bmpCenter;
    CSTBitmap m_bmpIcon;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    CSTBitmap m_bmpCaptionStrip;
    int m_bHtml = 1;
    int m_nStyle = kOk;
    CHoverButtonWithText m_buttons[kMaxButtons];
    int m_bHasCloseBox = 1;
    CHoverButton m_closeBox;
    CString m_strOk, m_strCancel, m_strYes, m_strNo, m_strCheck;
    int m_nResult = 0;
    CButton m_checkBox;
    int m_bLargeButtons = 0;
    // The bitmap id SetMessageIcon loaded; 0 without an icon.
    UINT m_nMessageIconId = 0;

protected:
    void LayoutButtons(int count, const CStringArray& captions, int defaultIndex);
    void MoveAndCentre();
    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnCloseBox();
    void OnButton(int index);
    void OnButton1() { OnButton(0); }
    void OnButton2() { OnButton(1); }
    void OnButton3() { OnButton(2); }
    void OnButton4() { OnButton(3); }
    void OnButton5() { OnButton(4); }
};

// Called once a message box is up (tests answer it so that nothing waits for a person).
using MessageBoxAnswerHook = void (*)(CDlgBaseMessageBoxWndBase* box);
void SetMessageBoxAnswerHook(MessageBoxAnswerHook hook);
