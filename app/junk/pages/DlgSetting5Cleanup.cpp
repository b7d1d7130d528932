#include "DlgSetting5Cleanup.h"

#include <BitmapDrawing.h>
#include <PanelDrawing.h>
#include <PopupServices.h>
#include <SelectedFont.h>
#include <STBitmap.h>

#include "DlgCleanOptions.h"
#include "JunkPagesResource.h"
#include "JunkWizard.h"
#include "Registry.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "VantorixApp.h"

#include <owners/WinOwners.h>

bool g_bJunkRecycleWarningShown = false;

BEGIN_MESSAGE_MAP(CDlgSetting5Cleanup, CJunkSettingsTab)
ON_WM_SIZE()
ON_BN_CLICKED(IDC_RADIO_RECYCLE, &CDlgSetting5Cleanup::OnRecycleChosen)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SETTINGS5_CLEANUP";
constexpr wchar_t kRemovalSection[] = L"Removal";
constexpr wchar_t kDirectRemove[] = L"DirectFastRemove";
constexpr UINT kHeadingBitmap = 5024;

bool NukeOnDelete(HKEY root, LPCWSTR path) {
    CRegistry key(root);
    key.SetAccess(KEY_READ);
    DWORD value = 0;
    return key.Open(root, path, false) && key.ReadDword(L"NukeOnDelete", value) && value != 0;
}
} // namespace

CDlgSetting5Cleanup::CDlgSetting5Cleanup(CDlgCleanOptions* host)
    : CJunkSettingsTab(IDD_SETTINGS5_CLEANUP, host) {}

CDlgSetting5Cleanup::~CDlgSetting5Cleanup() = default;

BOOL CDlgSetting5Cleanup::OnInitDialog() {
    CJunkSettingsTab::OnInitDialog();
    m_directRadio.SubclassDlgItem(IDC_RADIO_DIRECT, this);
    m_recycleRadio.SubclassDlgItem(IDC_RADIO_RECYCLE, this);
    SetWindowText(JunkText(L"SETTINGSDLG5"));
    CVantorixApp* app = JunkApp();
    const bool direct = app && app->GetProfileInt(kRemovalSection, kDirectRemove, 0) != 0;
    m_directRadio.SetCheck(direct ? BST_CHECKED : BST_UNCHECKED);
    m_recycleRadio.SetCheck(direct ? BST_UNCHECKED : BST_CHECKED);
    LayOutNow(this);
    return TRUE;
}

void CDlgSetting5Cleanup::OnSize(UINT type, int cx, int cy) {
    CJunkSettingsTab::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    if (m_directRadio.GetSafeHwnd())
        m_directRadio.SetWindowPos(nullptr, 63, 126, 15, 15, SWP_NOZORDER);
    if (m_recycleRadio.GetSafeHwnd())
        m_recycleRadio.SetWindowPos(nullptr, 63, 157, 15, 15, SWP_NOZORDER);
}

bool CDlgSetting5Cleanup::RecycleBinBypassed() {
    constexpr wchar_t kBitBucket[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                                     L"BitBucket";
    if (GetOsMajorVersion() < 6)
        return NukeOnDelete(HKEY_LOCAL_MACHINE, kBitBucket);
    const CString volumes = CString(kBitBucket) + L"\\Volume";
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, volumes, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;
    bool bypassed = false;
    wchar_t name[300];
    for (DWORD index = 0; !bypassed; ++index) {
        DWORD length = 300;
        if (RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        bypassed = NukeOnDelete(HKEY_CURRENT_USER, volumes + L"\\" + name);
    }
    return bypassed;
}

void CDlgSetting5Cleanup::OnRecycleChosen() {
    if (g_bJunkRecycleWarningShown || !RecycleBinBypassed())
        return;
    g_bJunkRecycleWarningShown = true;
    const RECT box{0, 0, 450, 180};
    AppMessageBox(JunkText(L"IDS_MSGBOX_CANT_MOVETO_RBIN"), MB_ICONEXCLAMATION, this, &box, false);
}

void CDlgSetting5Cleanup::OnApply() {
    // This tab's Apply saves every tab without the confirmation.
    if (m_pHost)
        static_cast<void>(m_pHost->ApplyAll(false));
}

bool CDlgSetting5Cleanup::Save() {
    CVantorixApp* app = JunkApp();
    return app && app->WriteProfileInt(kRemovalSection, kDirectRemove,
                                       m_directRadio.GetCheck() == BST_CHECKED ? 1 : 0);
}

void CDlgSetting5Cleanup::LoadDefaults() {
    if (CVantorixApp* app = JunkApp())
        app->WriteProfileInt(kRemovalSection, kDirectRemove, 0);
    m_directRadio.SetCheck(BST_UNCHECKED);
    m_recycleRadio.SetCheck(BST_CHECKED);
}

void CDlgSetting5Cleanup::PaintContent(CDC& dc, const CRect& client) {
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus2Medium.GetSafeHandle()));
        CRect heading(22, 20, client.Width() - 22, 60);
        dc.DrawText(JunkText(L"IDS_DLGSET5_CLUP_DLGHEADING"), &heading, DT_WORDBREAK);
    }
    DrawRoundedPanel(&dc, 22, 76, 270, 545);
    static CSTBitmap picture(kHeadingBitmap);
    if (picture.GetWidth() > 0)
        DrawBitmap(&dc, 30, 82, 24, 24, &picture, SRCCOPY);
    DrawSettingsLine(dc, 30, 544, 108, kSettingsLineColour);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CRect boxText(62, 84, 540, 104);
    dc.DrawText(JunkText(L"SET5STATBOXDESC"), &boxText, DT_SINGLELINE | DT_VCENTER);
    CRect direct(84, 124, 540, 144);
    dc.DrawText(JunkText(L"SET5RADIO_DIRECT"), &direct, DT_SINGLELINE | DT_VCENTER);
    CRect recycle(84, 155, 540, 175);
    dc.DrawText(JunkText(L"SET5RADIO_RECYLE"), &recycle, DT_SINGLELINE | DT_VCENTER);
    CRect bottom(22, 290, client.Width() - 22, 340);
    dc.DrawText(JunkText(L"IDS_DLGSETTING_BOTTOMTXT"), &bottom, DT_WORDBREAK);
}
