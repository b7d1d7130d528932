#include "DlgBaseMessageBoxWndBase.h"

#include "BitmapDrawing.h"
#include "SelectedFont.h"
#include "HtmlText.h"
#include "SkinPaintDC.h"
#include "TextButtonStyle.h"
#include "AppLocations.h"
#include "AppState.h"
#include "Crc32Dynamic.h"
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "SystemInfo.h"
#include "UiFonts.h"

#include <classlib/Resources.h>

#include <pelqview.h>

#include <algorithm>

IMPLEMENT_DYNCREATE(CDlgBaseMessageBoxWndBase, CDlgBaseWnd)

namespace {
constexpr UINT kCloseBoxId = 1184;
constexpr UINT kFirstButtonId = 1185;
constexpr UINT kCheckBoxId = 1231;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr COLORREF kMessageColour = 0x5A5148;
constexpr int kMessageWidth = 351;
MessageBoxAnswerHook g_answerHook = nullptr;

// Plain text made safe for the HTML renderer: entities for the markup characters and line
// breaks kept as breaks.
CString EscapeForHtml(const CString& text) {
    CString escaped;
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t c = text[i];
        switch (c) {
        case L'&':
            escaped += L"&amp;";
            break;
        case L'"':
            escaped += L"&quot;";
            break;
        case L'\r':
            break;
        case L'\n':
            escaped += L"<br>";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

void SetMessageBoxAnswerHook(MessageBoxAnswerHook hook) {
    g_answerHook = hook;
}

BEGIN_MESSAGE_MAP(CDlgBaseMessageBoxWndBase, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_MOUSEMOVE()
ON_COMMAND(IDOK, &CDlgBaseMessageBoxWndBase::OnOK)
ON_COMMAND(IDCANCEL, &CDlgBaseMessageBoxWndBase::OnCancel)
ON_COMMAND(1185, &CDlgBaseMessageBoxWndBase::OnButton1)
ON_COMMAND(1186, &CDlgBaseMessageBoxWndBase::OnButton2)
ON_COMMAND(1187, &CDlgBaseMessageBoxWndBase::OnButton3)
ON_COMMAND(1188, &CDlgBaseMessageBoxWndBase::OnButton4)
ON_COMMAND(1189, &CDlgBaseMessageBoxWndBase::OnButton5)
ON_COMMAND(1184, &CDlgBaseMessageBoxWndBase::OnCloseBox)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CDlgBaseMessageBoxWndBase::CDlgBaseMessageBoxWndBase() = default;

CDlgBaseMessageBoxWndBase::CDlgBaseMessageBoxWndBase(UINT templateId, CWnd* parent)
    : CDlgBaseWnd(templateId, parent) {
    m_rcBox.SetRectEmpty();
    m_rcCheckLabel.SetRectEmpty();
}

CDlgBaseMessageBoxWndBase::~CDlgBaseMessageBoxWndBase() = default;

void CDlgBaseMessageBoxWndBase::SetupButtons(int style, int count, const CStringArray* captions,
                                             int defaultIndex, BOOL large) {
    CIniReader* reader = OpenIniFile(L"pelq.ini", true);
    m_strOk = ReadLangText(L"IDS_OK", L"Pelq", reader, nullptr);
    m_strCancel = ReadLangText(L"IDS_CANCEL", L"Pelq", reader, nullptr);
    m_strYes = ReadLangText(L"IDS_YES", L"Pelq", reader, nullptr);
    m_strNo = ReadLangText(L"IDS_NO", L"Pelq", reader, nullptr);
    m_strCheck = ReadLangText(L"IDS_CHK_MSGBOX", L"Pelq", reader, nullptr);
    CloseIniFile(reader);
    m_nStyle = style;
    m_bLargeButtons = large ? 1 : 0;
    m_captions.RemoveAll();
    switch (style) {
    case kYesNo:
        m_captions.Add(m_strYes);
        m_captions.Add(m_strNo);
        m_nDefaultButton = 0;
        m_bHasCloseBox = 0;
        break;
    case kOkCancel:
        m_captions.Add(m_strOk);
        m_captions.Add(m_strCancel);
        m_nDefaultButton = 0;
        m_bHasCloseBox = 0;
        break;
    case kCallerButtonsWithCheck:
    case kCallerButtons:
        if (captions != nullptr)
            m_captions.Copy(*captions);
        m_nDefaultButton = defaultIndex;
        break;
    case kOk:
        m_captions.Add(m_strOk);
        m_nDefaultButton = 0;
        break;
    default:
        m_captions.Add(m_strOk);
        m_nDefaultButton = 1;
        break;
    }
    m_nButtonCount = (style == kCallerButtonsWithCheck || style == kCallerButtons)
                         ? count
                         : static_cast<int>(m_captions.GetSize());
}

void CDlgBaseMessageBoxWndBase::SetBoxRect(const RECT& rect) {
    m_rcBox = rect;
}

void CDlgBaseMessageBoxWndBase::SetMessageText(LPCWSTR text) {
    const CString message = text != nullptr ? text : L"";
    if (m_bHtml && message.Find(L'<') < 0 && message.Find(L'>') < 0)
        m_strMessage.Format(L"<font face=\"%s\" size=%dpt>%s</font>",
                            static_cast<LPCWSTR>(GetUIFontFace()), GetOsMajorVersion() < 6 ? 8 : 9,
                            static_cast<LPCWSTR>(EscapeForHtml(message)));
    else
        m_strMessage = message;
}

void CDlgBaseMessageBoxWndBase::SetSideImage(UINT bitmapId) {
    m_bmpSide.LoadBitmap(bitmapId);
    m_bSideImage = 1;
    m_bMessageIcon = 0;
    m_nImageWidth = m_bmpSide.GetWidth();
    m_nImageHeight = m_bmpSide.GetHeight();
}

void CDlgBaseMessageBoxWndBase::SetCenterImage(UINT bitmapId) {
    m_bmpCenter.LoadBitmap(bitmapId);
    m_bCenterImage = 1;
    m_nImageWidth = m_bmpCenter.GetWidth();
    m_nImageHeight = m_bmpCenter.GetHeight();
}

void CDlgBaseMessageBoxWndBase::SetMessageIcon(UINT bitmapId) {
    m_bmpIcon.DeleteObject();
    m_bmpCaptionStrip.DeleteObject();
    m_bmpIcon.LoadBitmap(bitmapId);
    m_bMessageIcon = 1;
    m_nMessageIconId = bitmapId;
    UINT strip = 1102;
    switch (bitmapId) {
    case 1113:
        strip = 1117;
        break;
    case 1114:
        strip = 1112;
        break;
    case 1116:
        strip = 1118;
        break;
    default:
        break;
    }
    m_bmpCaptionStrip.LoadBitmap(strip);
}

void CDlgBaseMessageBoxWndBase::SetResult(int code) {
    m_nResult = code;
    switch (m_nStyle) {
    case kCallerButtonsWithCheck:
        SaveDontShowAgain();
        break;
    case kOk:
        m_nResult = IDOK;
        break;
    case kYesNo:
        if (code == 1)
            m_nResult = IDYES;
        else if (code == 2)
            m_nResult = IDNO;
        break;
    case kOkCancel:
        m_nResult = code == 2 ? IDCANCEL : (code != 0 ? IDOK : 0);
        break;
    default:
        break;
    }
}

CString CDlgBaseMessageBoxWndBase::DontShowValueName() const {
    CCrc32Dynamic crc32;
    crc32.Init();
    DWORD crc = 0;
    static_cast<void>(crc32.TextCrc32(m_strMessage, crc));
    CString name;
    name.Format(L"DontShowMessageBox%lu", static_cast<unsigned long>(crc));
    return name;
}

void CDlgBaseMessageBoxWndBase::SaveDontShowAgain() {
    // Only a box that shows the check box has a state to keep.
    if (m_checkBox.GetSafeHwnd() == nullptr)
        return;
    const DWORD checked = m_checkBox.GetCheck() == BST_CHECKED ? 1 : 0;
    CString key = GetAppRegistryKey();
    AppendPath(key, L"MessageBoxStatus");
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_ALL_ACCESS);
    if (!registry.Open(HKEY_CURRENT_USER, key, true))
        return;
    static_cast<void>(registry.WriteDwordValue(DontShowValueName(), checked));
    registry.Close();
}

void CDlgBaseMessageBoxWndBase::OnOK() {
    // Enter presses the default button: with the caller's buttons code 1 would be the second.
    const bool callerButtons = m_nStyle == kCallerButtonsWithCheck || m_nStyle == kCallerButtons;
    SetResult(callerButtons ? m_nDefaultButton : IDOK);
    CDlgBaseWnd::OnOK();
}

void CDlgBaseMessageBoxWndBase::OnCancel() {
    SetResult(IDCANCEL);
    CDialog::OnCancel();
}

void CDlgBaseMessageBoxWndBase::OnCloseBox() {
    OnCancel();
}

void CDlgBaseMessageBoxWndBase::OnButton(int index) {
    // Each style's code for the button at `index` (0 = rightmost); -1 leaves the result.
    static const int kCodes[][kMaxButtons] = {
        {1, -1, -1, -1, -1}, // OK
        {6, 7, -1, -1, -1},  // Yes/No
        {1, 2, -1, -1, -1},  // OK/Cancel
        {0, 1, 2, 3, 4},     // caller's buttons with check box
        {0, 1, 2, 3, 4},     // caller's buttons
    };
    static const int kOtherStyles[kMaxButtons] = {1, 1, 2, 3, 4};
    const int code = (m_nStyle >= 0 && m_nStyle <= kCallerButtons) ? kCodes[m_nStyle][index]
                                                                   : kOtherStyles[index];
    if (code >= 0)
        SetResult(code);
    EndDialog(m_nResult);
}

CRect CDlgBaseMessageBoxWndBase::MessageRectFor(const CRect& box) {
    return CRect(box.left + 53, box.top + 55, box.left + 53 + box.Width() - 70,
                 box.top + 55 + box.Height() - 100);
}

void CDlgBaseMessageBoxWndBase::MeasureMessage(CDC* dc, CRect& box) {
    CRect message = MessageRectFor(box);
    message.right = message.left + kMessageWidth;
    CString measured = m_strMessage;
    if (m_strMessage.GetLength() > 12 && m_strMessage.Left(11).CompareNoCase(L"<font face=") == 0) {
        const int first = m_strMessage.Find(L'>');
        const int last = m_strMessage.ReverseFind(L'<');
        if (first >= 0 && last > first)
            measured = m_strMessage.Mid(first + 1, last - first - 1);
    }
    CRect calc = message;
    dc->DrawText(measured, &calc, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
    if (calc.Width() < kMessageWidth)
        message.right = calc.right;
    const int height =
        PelqHtml_GetHTMLHeight(dc->GetSafeHdc(), m_strMessage,
                               AfxGetModuleState()->m_hCurrentInstanceHandle, message.Width());
    if (height > 0)
        message.bottom = message.top + height;
    if (box.bottom - 110 < message.Height())
        box.bottom = message.Height() + 110;
    if (box.right - 77 < message.Width())
        box.right = message.Width() + 77;
    m_rcMessage = MessageRectFor(box);
}

void CDlgBaseMessageBoxWndBase::MoveAndCentre() {
    MoveWindow(&m_rcBox, TRUE);
    CRect client;
    GetClientRect(&client);
    SetWindowRgn(
        ::CreateRoundRectRgn(client.left, client.top, client.right + 1, client.bottom + 1, 9, 9),
        TRUE);
    CenterWindow(AfxGetMainWnd());
    m_rcMessage = MessageRectFor(m_rcBox);
}

BOOL CDlgBaseMessageBoxWndBase::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    if (g_hAppIcon != nullptr) {
        TakeApplicationIdentity(this);
    }
    if (m_rcBox.IsRectEmpty())
        m_rcBox.SetRect(0, 0, 300, 160);
    {
        CClientDC dc(this);
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        MeasureMessage(&dc, m_rcBox);
    }
    const CRect measuredMessage = m_rcMessage;
    MoveAndCentre();
    m_rcMessage = measuredMessage;
    if (m_bSideImage) {
        m_rcBox.bottom = m_rcBox.top + m_nImageHeight + 78;
        MoveAndCentre();
        m_rcMessage.left += m_nImageWidth - 47;
    } else if (m_bCenterImage) {
        if (m_rcBox.Width() < m_nImageWidth + 12)
            m_rcBox.right = m_rcBox.left + m_nImageWidth + 12;
        if (m_rcBox.Height() < m_nImageHeight + 78)
            m_rcBox.bottom += (m_nImageHeight + 78 - m_rcBox.Height()) + m_rcMessage.bottom;
        MoveAndCentre();
        m_rcMessage.bottom -= m_nImageHeight;
    }
    LayoutButtons(m_nButtonCount, m_captions, m_nDefaultButton);
    CRect client;
    GetClientRect(&client);
    if (m_bHasCloseBox) {
        const CRect place(client.Width() - 30, client.top + 3, client.Width() - 7, client.top + 26);
        if (m_closeBox.Create(L"", kButtonStyle, place, this, kCloseBoxId))
            m_closeBox.LoadBitmap(1064);
    }
    if (m_nStyle == kCallerButtonsWithCheck) {
        const CRect place(client.left + 21, client.Height() - 30, client.left + 34,
                          client.Height() - 17);
        if (m_checkBox.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, place,
                              this, kCheckBoxId))
            m_checkBox.SetFont(&g_fontUI);
        m_rcCheckLabel.SetRect(client.left + 35, client.Height() - 31, client.left + 225,
                               client.Height() - 10);
    }
    if (g_answerHook != nullptr)
        g_answerHook(this);
    return TRUE;
}

void CDlgBaseMessageBoxWndBase::LayoutButtons(int count, const CStringArray& captions,
                                              int defaultIndex) {
    if (count <= 0 || captions.GetSize() == 0)
        return;
    const int width = m_bLargeButtons ? 120 : 79;
    const int height = m_bLargeButtons ? 28 : 23;
    CRect client;
    GetClientRect(&client);
    const int y = client.Height() - (m_bLargeButtons ? 44 : 34);
    const int shown = std::min<int>({count, static_cast<int>(captions.GetSize()), kMaxButtons});
    for (int i = 0; i < shown; ++i) {
        CHoverButtonWithText& button = m_buttons[i];
        const int x = client.Width() - 15 - width - i * (width + 5);
        const bool isDefault = i == defaultIndex;
        if (!button.Create(captions[i], kButtonStyle, CRect(x, y, x + width, y + height), this,
                           kFirstButtonId + i))
            continue;
        if (m_bLargeButtons) {
            StyleTextButton(&button, true, isDefault, true);
        } else {
            button.m_bHasDisabledState = true;
            button.LoadBitmap(isDefault ? 1051 : 1065);
            const COLORREF text = isDefault ? 0xFFFCFC : kMessageColour;
            button.m_clrText = text;
            button.m_clrHover = text;
            button.m_clrThird = text;
            button.m_clrPressed = text;
            GetDefaultLogFont(&button.m_logFont);
            button.m_logFont.lfWeight = FW_BOLD;
        }
    }
}

void CDlgBaseMessageBoxWndBase::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    DrawSkinFrame(&dc, client);
    const SkinFrameEdges& edges = GetSkinFrameEdges();
    const int stripWidth = m_bmpCaptionStrip.GetWidth();
    DrawBitmapRepeated(
        &dc, client.left + edges.left - 2, client.top + edges.top, stripWidth,
        m_bmpCaptionStrip.GetHeight(), &m_bmpCaptionStrip, stripWidth, 0,
        RepeatCount(client.left + edges.left - 2, client.Width() + 2 - edges.right, stripWidth));
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0xFCFCFC);
    CRect title(client.left + 6, client.top + 9, client.Width() - client.left - 27 + 200,
                client.top + 29);
    dc.DrawText(GetAppTitle(), &title, DT_WORDBREAK);
    dc.SetTextColor(kMessageColour);
    if (m_bHtml) {
        DrawHtmlText(this, &dc, &m_rcMessage, m_strMessage, FALSE);
    } else {
        CSelectedFont plain(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect message = m_rcMessage;
        dc.DrawText(m_strMessage, &message, DT_WORDBREAK);
    }
    if (m_bMessageIcon)
        DrawBitmap(&dc, 18, 58, m_bmpIcon.GetWidth(), m_bmpIcon.GetHeight(), &m_bmpIcon, SRCCOPY);
    if (m_bSideImage)
        DrawBitmap(&dc, 6, 36, m_nImageWidth, m_nImageHeight, &m_bmpSide, SRCCOPY);
    else if (m_bCenterImage)
        DrawBitmap(&dc, client.Width() / 2 - m_nImageWidth / 2, m_rcMessage.bottom + 5,
                   m_nImageWidth, m_nImageHeight, &m_bmpCenter, SRCCOPY);
    static CSTBitmap largeBar(1461), bar(1103);
    CSTBitmap& bottomBar = m_bLargeButtons ? largeBar : bar;
    DrawBitmapRepeated(
        &dc, client.left + edges.left, client.Height() - bottomBar.GetHeight() - edges.bottom,
        bottomBar.GetWidth(), bottomBar.GetHeight(), &bottomBar, bottomBar.GetWidth(), 0,
        RepeatCount(client.left + edges.left, client.Width() - edges.right, bottomBar.GetWidth()));
    if (!m_rcCheckLabel.IsRectEmpty()) {
        CSelectedFont label(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect rect = m_rcCheckLabel;
        dc.DrawText(m_strCheck, &rect, DT_WORDBREAK);
    }
}

void CDlgBaseMessageBoxWndBase::OnMouseMove(UINT, CPoint point) {
    static const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    ::SetCursor(m_rcCheckLabel.PtInRect(point) ? hand : ::LoadCursorW(nullptr, IDC_ARROW));
    Default();
}

void CDlgBaseMessageBoxWndBase::OnLButtonDown(UINT, CPoint point) {
    CRect client;
    GetClientRect(&client);
    if (point.y >= 0 && point.y < 29 && point.x >= 0 && point.x < client.Width())
        SendMessageW(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    Default();
}

void CDlgBaseMessageBoxWndBase::OnLButtonUp(UINT, CPoint point) {
    if (m_rcCheckLabel.PtInRect(point) && m_checkBox.GetSafeHwnd() != nullptr)
        m_checkBox.SetCheck(m_checkBox.GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    Default();
}
