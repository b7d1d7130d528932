// The information pop-ups of the library, each run over the dimming overlay of its parent.
#include "PopupServices.h"

#include "DlgAbout.h"
#include "DlgPelqFeedback.h"
#include "DlgShutDown.h"
#include "UpdateServices.h"

#include <IniReader.h>

void ShowAboutDialog(CWnd* parent) {
    CDlgAbout about(parent);
    static_cast<void>(RunPopupOverParent(parent, &about, CDlgAbout::kTemplate));
}

void ShowShutdownDialog(CWnd* parent, CString text, int /*unused*/, bool restart) {
    CDlgShutDown shutDown(parent);
    shutDown.m_bRestart = restart;
    shutDown.m_strMessage = text;
    static_cast<void>(RunPopupOverParent(parent, &shutDown, CDlgShutDown::kTemplate));
}

void ShowFeedbackDialog(CWnd* parent) {
    CDlgPelqFeedback feedback(parent);
    static_cast<void>(RunPopupOverParent(parent, &feedback, CDlgPelqFeedback::kTemplate));
}

void ShowUpdateCheckUnavailable(CWnd* parent) {
    const CString text = GetLangString(IsInternetAvailable() ? L"IDS_UPDATE_PROGRAM_MISSING"
                                                             : L"IDS_UPDATE_NO_CONNECTION",
                                       L"Pelq");
    static_cast<void>(AppMessageBox(text, MB_OK | MB_ICONINFORMATION, parent, nullptr, true));
}
