#include "DupeWizard.h"

#include <DlgLeftDlgBase.h>
#include <HoverButton.h>
#include <PopupServices.h>
#include <SelectedFont.h>

#include <classlib/CommonControls.h>
#include <classlib/Resources.h>
#include <owners/WinOwners.h>
#include <UiFonts.h>
#include <SizeTexts.h>

#include <shlwapi.h>

DupePages& TheDupePages() {
    static DupePages pages;
    return pages;
}

DupePagesHost& DupeHost() {
    return *TheDupePages().host;
}

CString DupeText(LPCWSTR key) {
    return DupeHost().Text(key, kDupeTextSection);
}

CString DupeCaption(LPCWSTR key, LPCWSTR section) {
    return DupeHost().Text(key, section);
}

CString GroupedNumber(LONGLONG count) {
    wchar_t buffer[64] = {};
    return FormatNumberGrouped(count, buffer, 64);
}

CString FormatGroupedCount(LPCWSTR formatKey, LONGLONG count) {
    CString text;
    text.Format(DupeText(formatKey), GroupedNumber(count).GetString());
    return text;
}

void SetCaptions(CWnd* dialog, LPCWSTR section, const DupeCaptionEntry* entries, size_t count) {
    for (size_t i = 0; i < count; ++i)
        ::SetDlgItemTextW(dialog->m_hWnd, entries[i].id, DupeCaption(entries[i].key, section));
}

CDlgLeftDlgBase* PanelOf(CWnd* page) {
    return dynamic_cast<CDlgLeftDlgBase*>(page->GetParent());
}

void EnableWizardControls(CWnd* page, bool enable) {
    DupeHost().EnableMainControls(enable);
    CDlgLeftDlgBase* panel = PanelOf(page);
    if (panel == nullptr)
        return;
    if (enable) {
        panel->EnableActionButtons();
        panel->EnableNavButtons(TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE);
    } else {
        panel->DisableActionButtons();
        panel->EnableNavButtons(FALSE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE);
    }
}

void DrawPageText(CDC* dc, LPCWSTR text, RECT rect, COLORREF colour, UINT format) {
    CSelectedFont font(dc->GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    const int mode = dc->SetBkMode(TRANSPARENT);
    const COLORREF previous = dc->SetTextColor(colour);
    dc->DrawText(text, -1, &rect, format | DT_NOPREFIX);
    dc->SetTextColor(previous);
    dc->SetBkMode(mode);
}

CString CutTo50(const CString& text) {
    return text.GetLength() > 50 ? text.Left(50) + L" ..." : text;
}

HICON LoadSmallIcon(UINT id) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    return static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

int DupeMessage(LPCWSTR key, UINT type) {
    return DupeMessageText(DupeText(key), type);
}

int DupeMessageText(const CString& text, UINT type) {
    return AppMessageBox(text, type, DupeHost().MainWindow(), nullptr, false);
}

void MakeIconList(CImageList& list, std::initializer_list<UINT> iconIds) {
    list.Create(16, 16, ILC_COLOR32 | ILC_MASK, static_cast<int>(iconIds.size()), 1);
    for (UINT id : iconIds) {
        const IconHandle icon(LoadSmallIcon(id));
        list.Add(icon.Get());
    }
}

void TrackTextMenu(UINT menuId, std::initializer_list<DupeMenuEntry> entries, HWND owner,
                   POINT screen) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(menuId), RT_MENU);
    const MenuHandle menu(::LoadMenuW(module, MAKEINTRESOURCEW(menuId)));
    if (!menu)
        return;
    const HMENU popup = ::GetSubMenu(menu.Get(), 0);
    for (const DupeMenuEntry& entry : entries)
        ::ModifyMenuW(popup, entry.id, MF_BYCOMMAND | MF_STRING, entry.id, DupeText(entry.key));
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

CSize ClientSizeOf(CWnd* window) {
    CRect client;
    window->GetClientRect(&client);
    return client.Size();
}

void LoadFourFrameStrip(CHoverButton& button, UINT stripId) {
    button.m_bHasDisabledState = true;
    button.LoadBitmap(stripId);
}

void CentreOverMainWindow(CWnd* popup) {
    CWnd* main = DupeHost().MainWindow();
    if (main == nullptr || main->GetSafeHwnd() == nullptr)
        return;
    CRect mainRect, rect;
    main->GetWindowRect(&mainRect);
    popup->GetWindowRect(&rect);
    popup->SetWindowPos(nullptr, mainRect.left + (mainRect.Width() - rect.Width()) / 2,
                        mainRect.top + (mainRect.Height() - rect.Height()) / 2, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
