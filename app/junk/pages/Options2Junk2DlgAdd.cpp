#include "Options2Junk2DlgAdd.h"

#include <shlobj.h>

#include <PopupServices.h>

#include "DlgSetting2Files.h"
#include "JunkPagesResource.h"
#include "JunkTables.h"
#include "JunkWizard.h"

BEGIN_MESSAGE_MAP(COptions2Junk2DlgAdd, CDlgBaseWndPopupNagBase)
ON_EN_CHANGE(IDC_EDIT_MASK, &COptions2Junk2DlgAdd::OnMaskChanged)
ON_EN_CHANGE(IDC_JUNK_EDIT_FOLDER, &COptions2Junk2DlgAdd::OnFolderChanged)
ON_BN_CLICKED(IDC_BTN_BROWSE_FOLDER, &COptions2Junk2DlgAdd::OnBrowse)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_OPTIONS_2_JUNK_CLEANUP_ADD";
constexpr int kMaskLimit = 63;
constexpr int kFolderLimit = 252;
constexpr int kResultLimit = 260;

// The listed over-broad masks, and any mask without a literal part.
bool IsOverBroad(const CString& text) {
    for (const wchar_t* mask : kOverBroadMasks)
        if (text == mask)
            return true;
    return IsCatchAllMask(text);
}

// A protected extension right behind the first "." (as a prefix of what follows it).
bool NamesProtectedType(CString text) {
    text.Replace(L'*', L' ');
    text.Replace(L'?', L' ');
    text.Trim();
    const int dot = text.Find(L'.');
    if (dot < 0)
        return false;
    const CString rest = text.Mid(dot + 1);
    for (int length = 1; length <= rest.GetLength(); ++length)
        if (rest[length - 1] != L'.' && IsProtectedExtension(L"x." + rest.Left(length)))
            return true;
    return false;
}
} // namespace

COptions2Junk2DlgAdd::COptions2Junk2DlgAdd(CWnd* parent)
    : CDlgBaseWndPopupNagBase(IDD_OPTIONS_2_JUNK_CLEANUP_ADD, parent) {
    SetWindowSize(TRUE, 474, 221);
}

COptions2Junk2DlgAdd::~COptions2Junk2DlgAdd() = default;

BOOL COptions2Junk2DlgAdd::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    m_maskEdit.SubclassDlgItem(IDC_EDIT_MASK, this);
    m_folderEdit.SubclassDlgItem(IDC_JUNK_EDIT_FOLDER, this);
    m_browseButton.SubclassDlgItem(IDC_BTN_BROWSE_FOLDER, this);
    m_title.SubclassDlgItem(IDC_STATIC_TITLE, this);
    m_explanation.SubclassDlgItem(IDC_STATIC_EXPLANATION, this);
    m_okButton.SubclassDlgItem(IDOK, this);
    m_cancelButton.SubclassDlgItem(IDCANCEL, this);
    SetControlText(this, IDOK, kSection, L"IDOK");
    SetControlText(this, IDCANCEL, kSection, L"IDCANCEL");
    SetControlText(this, IDC_STATIC_TITLE, kSection, L"IDC_STATIC_TITLE");
    SetControlText(this, IDC_STATIC_EXPLANATION, kSection, L"IDC_STATIC_EXPLANATION");
    StyleJunkButton(m_okButton, true);
    StyleJunkButton(m_cancelButton, false);
    CenterWindow();
    CRect client;
    GetClientRect(&client);
    m_okButton.SetWindowPos(nullptr, client.Width() - 137, client.Height() - 41, 120, 28,
                            SWP_NOZORDER);
    m_cancelButton.SetWindowPos(nullptr, client.Width() - 264, client.Height() - 41, 120, 28,
                                SWP_NOZORDER);
    const int width = client.Width() - 40;
    m_title.SetWindowPos(nullptr, 20, 45, width, 18, SWP_NOZORDER);
    m_maskEdit.SetWindowPos(nullptr, 20, 68, width, 24, SWP_NOZORDER);
    m_folderEdit.SetWindowPos(nullptr, 20, 68, width - 36, 24, SWP_NOZORDER);
    m_browseButton.SetWindowPos(nullptr, 20 + width - 30, 68, 30, 24, SWP_NOZORDER);
    m_explanation.SetWindowPos(nullptr, 20, 102, width, 40, SWP_NOZORDER);
    m_bSettingText = true;
    if (m_bFolderMode) {
        m_maskEdit.ShowWindow(SW_HIDE);
        m_folderEdit.SetWindowText(L"");
        m_folderEdit.SetLimitText(kFolderLimit);
        m_folderEdit.ShowWindow(SW_SHOW);
        m_browseButton.ShowWindow(SW_SHOW);
        m_folderEdit.SetFocus();
    } else {
        m_maskEdit.SetLimitText(kMaskLimit);
        m_maskEdit.SetWindowText(L"");
        m_maskEdit.ShowWindow(SW_SHOW);
        m_maskEdit.SetFocus();
    }
    m_bSettingText = false;
    m_okButton.EnableWindow(FALSE);
    return FALSE;
}

LPCWSTR COptions2Junk2DlgAdd::MaskRefusal(const CString& mask, const CDlgSetting2Files* rows) {
    if (mask.GetLength() > kMaskLimit)
        return L"IDS_STR_EXT_LIMIT";
    if (IsOverBroad(mask))
        return L"IDS_WRONG_WILDCARDS";
    if (rows && rows->HasRow(mask))
        return L"SET2ALREADYTEHRE";
    if (NamesProtectedType(mask))
        return L"SET2ALREADYTEHREPROTECTED";
    return nullptr;
}

void COptions2Junk2DlgAdd::SetExplanation(LPCWSTR key, bool okEnabled) {
    m_explanation.SetWindowText(JunkText(key));
    m_okButton.EnableWindow(okEnabled ? TRUE : FALSE);
}

void COptions2Junk2DlgAdd::OnMaskChanged() {
    if (m_bSettingText)
        return;
    if (m_bFolderMode) {
        m_okButton.EnableWindow(TRUE);
        m_cancelButton.EnableWindow(TRUE);
        return;
    }
    CString text;
    m_maskEdit.GetWindowText(text);
    text.Trim();
    text.MakeLower();
    if (text.GetLength() > kMaskLimit) {
        m_bSettingText = true;
        m_maskEdit.SetWindowText(text.Left(kMaskLimit));
        m_bSettingText = false;
        SetExplanation(L"IDS_STR_EXT_LIMIT", false);
        return;
    }
    if (LPCWSTR refusal = MaskRefusal(text, m_pRows)) {
        SetExplanation(refusal, false);
        return;
    }
    SetExplanation(L"IDS_READ_HELP_JUNK_OPTIONS", !text.IsEmpty());
}

void COptions2Junk2DlgAdd::OnFolderChanged() {
    if (m_bSettingText)
        return;
    CString text;
    m_folderEdit.GetWindowText(text);
    text.Trim();
    text.MakeLower();
    if (text.Left(3) == L"*.*" || IsOverBroad(text))
        SetExplanation(L"IDS_WRONG_WILDCARDS", false);
    else
        SetExplanation(L"IDS_READ_HELP_JUNK_OPTIONS", !text.IsEmpty());
}

void COptions2Junk2DlgAdd::OnBrowse() {
    BROWSEINFOW browse{};
    browse.hwndOwner = m_hWnd;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE folder = SHBrowseForFolderW(&browse);
    if (!folder)
        return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(folder, path))
        m_folderEdit.SetWindowText(path);
    CoTaskMemFree(folder);
}

CString COptions2Junk2DlgAdd::CompleteMask(const CString& mask) {
    CString text = mask;
    const int dot = text.Find(L'.');
    const int question = text.Find(L'?');
    if (text.Find(L'*') < 0 && dot >= 0 && (question < 0 || question > dot) &&
        text.GetLength() < kMaskLimit)
        text.Insert(dot, L'*');
    return text;
}

void COptions2Junk2DlgAdd::OnOK() {
    CString text;
    (m_bFolderMode ? m_folderEdit : m_maskEdit).GetWindowText(text);
    text.Trim();
    text.MakeLower();
    if (text.GetLength() > kResultLimit) {
        text = text.Left(kResultLimit - 2);
        AppMessageBox(JunkText(L"IDS_STR_EXT_LIMIT"), MB_ICONEXCLAMATION, this, nullptr, false);
    }
    // Enter ends the pop-up even while OK is disabled: a refused text is refused here too.
    if (!m_bFolderMode) {
        if (MaskRefusal(text, m_pRows))
            return;
        text = CompleteMask(text);
        // Completed, a mask may name a protected type or be too broad after all.
        if (IsOverBroad(text) || NamesProtectedType(text))
            return;
    } else if (text.Left(3) == L"*.*" || IsOverBroad(text)) {
        return;
    }
    m_strResult = text;
    CDlgBaseWndPopupNagBase::OnOK();
}
