// The information pop-ups of the library, each run over the dimming overlay of its parent.
#include "PopupServices.h"

#include "DlgAbout.h"
#include "DlgPelqFeedback.h"
#include "DlgShutDown.h"

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
