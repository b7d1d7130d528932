#include "PopupServices.h"

#include "DlgBaseMessageBoxWndBase.h"
#include "DlgBaseWndPopupNagBase.h"
#include "DlgParentTransculent.h"
#include "PelqMessageBox.h"

namespace {
constexpr UINT kIconAttention = 1113;
constexpr UINT kIconInformation = 1115;
constexpr UINT kIconQuestion = 1116;

void SetCaptions(CStringArray& captions, std::initializer_list<LPCWSTR> texts) {
    for (LPCWSTR text : texts)
        captions.Add(text);
}

UINT IconForType(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
    case MB_ICONEXCLAMATION:
        return kIconAttention;
    case MB_ICONQUESTION:
        return kIconQuestion;
    default:
        return kIconInformation;
    }
}
} // namespace

int AppMessageBox(LPCWSTR text, UINT type, CWnd* parent, const RECT* box, bool html) {
    CPelqMessageBox dialog(parent);
    dialog.m_bHtml = html ? 1 : 0;
    CRect rect = box != nullptr ? CRect(*box) : CRect(0, 0, 315, 171);
    // Three caller's buttons answer their index; these map it back to the system's results.
    const int* indexResults = nullptr;
    static const int kYesNoCancel[] = {IDYES, IDNO, IDCANCEL};
    static const int kAbortRetryIgnore[] = {IDABORT, IDRETRY, IDIGNORE};
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kYesNo, 0, nullptr, 0, FALSE);
        break;
    case MB_OKCANCEL:
        dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kOkCancel, 0, nullptr, 0, FALSE);
        break;
    case MB_YESNOCANCEL: {
        CStringArray captions;
        SetCaptions(captions, {L"Yes", L"No", L"Cancel"});
        dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kCallerButtonsWithCheck, 3, &captions, 0,
                            FALSE);
        rect.SetRect(0, 0, 500, 300);
        indexResults = kYesNoCancel;
        break;
    }
    case MB_ABORTRETRYIGNORE: {
        CStringArray captions;
        SetCaptions(captions, {L"Abort", L"Retry", L"Ignore"});
        dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kCallerButtonsWithCheck, 3, &captions, 0,
                            FALSE);
        rect.SetRect(0, 0, 500, 300);
        indexResults = kAbortRetryIgnore;
        break;
    }
    default:
        dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kOk, 0, nullptr, 0, FALSE);
        break;
    }
    dialog.SetBoxRect(rect);
    dialog.SetMessageIcon(IconForType(type));
    dialog.SetMessageText(text);
    static_cast<void>(dialog.DoModal());
    const int result = dialog.GetResult();
    if (indexResults != nullptr)
        return result >= 0 && result < 3 ? indexResults[result] : IDCANCEL;
    return result;
}

int ShowMessageBox(LPCWSTR text, UINT imageId, int buttonCount, const CStringArray* captions,
                   RECT box, BOOL sideImage, CWnd* parent) {
    CPelqMessageBox dialog(parent);
    dialog.SetupButtons(CDlgBaseMessageBoxWndBase::kCallerButtonsWithCheck, buttonCount, captions,
                        0, FALSE);
    dialog.SetBoxRect(box);
    if (sideImage)
        dialog.SetSideImage(imageId);
    else
        dialog.SetCenterImage(imageId);
    dialog.SetMessageText(text);
    static_cast<void>(dialog.DoModal());
    return dialog.GetResult();
}

int ShowMessageBoxEx(LPCWSTR text, UINT iconType, int buttonCount, const CStringArray* captions,
                     RECT box, BOOL withCheckBox, int defaultButton, CWnd* parent) {
    CPelqMessageBox dialog(parent);
    UINT icon = kIconInformation;
    if (iconType == MB_ICONERROR)
        icon = kIconAttention;
    else if (iconType == MB_ICONQUESTION)
        icon = kIconQuestion;
    dialog.SetMessageIcon(icon);
    dialog.SetupButtons(withCheckBox ? CDlgBaseMessageBoxWndBase::kCallerButtonsWithCheck
                                     : CDlgBaseMessageBoxWndBase::kCallerButtons,
                        buttonCount, captions, defaultButton, FALSE);
    dialog.SetBoxRect(box);
    dialog.SetMessageText(text);
    static_cast<void>(dialog.DoModal());
    return dialog.GetResult();
}

int RunPopupOverParent(CWnd* parent, CDlgBaseWndPopupNagBase* popup, UINT templateId) {
    CRect window;
    parent->GetWindowRect(&window);
    CRect desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    CRect inside;
    inside.IntersectRect(&window, &desktop);
    if (inside != window) {
        if (CWnd* main = AfxGetMainWnd()) {
            main->ShowWindow(SW_SHOWNORMAL);
            main->SetForegroundWindow();
            main->CenterWindow();
        }
        parent->GetWindowRect(&window);
    }
    CDlgParentTransculent overlay(parent);
    overlay.SetTarget(window.left, window.top, window.right, window.bottom, popup, templateId);
    static_cast<void>(overlay.DoModal());
    parent->SetForegroundWindow();
    parent->BringWindowToTop();
    return popup->m_nResultCode;
}

void CloseDialogOk(CWnd* popup) {
    if (popup == nullptr)
        return;
    if (auto* overlay = dynamic_cast<CDialog*>(popup->GetParent()))
        overlay->CDialog::OnOK();
}
