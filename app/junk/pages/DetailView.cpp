#include "DetailView.h"

#include <shellapi.h>
#include <classlib/Resources.h>
#include <shlwapi.h>

#include <SelectedFont.h>
#include <SkinPaintDC.h>

#include "JunkWizard.h"
#include "UiFonts.h"

#include <ctime>

BEGIN_MESSAGE_MAP(CDetailView, CStatic)
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
constexpr UINT kDefaultIconId = 5087;
constexpr COLORREF kPanelColour = RGB(236, 246, 229);
constexpr int kShownNameLength = 18;

CString ShortSizeText(ULONGLONG size) {
    wchar_t text[64] = {};
    StrFormatByteSizeW(static_cast<LONGLONG>(size), text, 64);
    return text;
}
} // namespace

CDetailView::CDetailView()
    : m_defaultIcon(static_cast<HICON>(
          LoadImageW(AfxFindResourceHandle(MAKEINTRESOURCEW(kDefaultIconId), RT_GROUP_ICON),
                     MAKEINTRESOURCEW(kDefaultIconId), IMAGE_ICON, 32, 32, 0))) {}

void CDetailView::SetIcon(HICON icon) {
    m_itemIcon.Reset(icon);
}

CString CDetailView::FormatItemTime(__int64 seconds) {
    const time_t value = static_cast<time_t>(seconds);
    tm local{};
    if (localtime_s(&local, &value) != 0)
        return CString();
    const CString format =
        JunkText(local.tm_hour < 12 ? L"IDS_DLG_DETAILS_TIME_3" : L"IDS_DLG_DETAILS_TIME_1");
    wchar_t text[128] = {};
    if (format.IsEmpty() || wcsftime(text, 128, format, &local) == 0)
        return CString();
    return text;
}

void CDetailView::ShowItem(const CString& path, ULONGLONG size, __int64 created, __int64 accessed,
                           __int64 modified) {
    CString trimmed = path;
    trimmed.TrimRight(L'\\');
    m_strName = PathFindFileNameW(trimmed);
    m_strSize = ShortSizeText(size);
    SHFILEINFOW info{};
    if (SHGetFileInfoW(trimmed, 0, &info, sizeof info,
                       SHGFI_TYPENAME | SHGFI_ICON | SHGFI_SYSICONINDEX)) {
        m_strType = info.szTypeName;
        SetIcon(info.hIcon);
    } else {
        m_strType.Empty();
        SetIcon(nullptr);
    }
    m_strCreated = FormatItemTime(created);
    m_strAccessed = FormatItemTime(accessed);
    m_strModified = FormatItemTime(modified);
    if (m_hWnd)
        Invalidate(FALSE);
}

void CDetailView::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    memory.FillSolidRect(&client, kPanelColour);
    if (m_strName.IsEmpty())
        return;
    if (const HICON icon = ShownIcon())
        DrawIconEx(memory.GetSafeHdc(), 5, 5, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(RGB(39, 79, 25));
    const int width = client.Width();
    const int a = (width - 65) * 2 / 7;
    CString text;
    // The formats put each value on a line of its own ("\n" in the language file).
    CString format = JunkText(L"IDS_DLG_DETAILS_STR_SIZE");
    format.Replace(L"\\n", L"\n");
    text.Format(format, m_strName.Left(kShownNameLength).GetString(),
                m_strType.Left(kShownNameLength).GetString(), m_strSize.GetString());
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        CRect rect(50, 11, 57 + a, client.Height() - 11);
        memory.DrawText(text, &rect, DT_WORDBREAK | DT_NOPREFIX);
    }
    format = JunkText(L"IDS_DLG_DETAILS_STR_TIME");
    format.Replace(L"\\n", L"\n");
    text.Format(format, m_strCreated.GetString(), m_strAccessed.GetString(),
                m_strModified.GetString());
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CRect rect(67 + a, 11, 53 + a + (width - 65) * 5 / 7, client.Height() - 11);
    memory.DrawText(text, &rect, DT_WORDBREAK | DT_NOPREFIX);
}
