#include "SkinMenu.h"

#include "Registry.h"

#include <classlib/App.h>
#include <classlib/Resources.h>
#include <classlib/Window.h>
#include <owners/WinOwners.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kHiddenToolbarStyle = 0x40002800; // the bar style without WS_VISIBLE
constexpr UINT kToolbarId = 0xE800;
constexpr WORD kMenuPopup = MF_POPUP; // 0x10
constexpr WORD kMenuEnd = MF_END;     // 0x80

HWND MainOrDesktopWindow() {
    CWnd* main = AfxGetMainWnd();
    return main != nullptr && main->GetSafeHwnd() != nullptr ? main->GetSafeHwnd()
                                                             : ::GetDesktopWindow();
}

// The colour that a device of dc's kind gives back for colour: the form in which pixels of
// that colour compare equal.
COLORREF DeviceColour(HDC dc, COLORREF colour) {
    CDC memory;
    CBitmap pixels;
    if (!memory.CreateCompatibleDC(CDC::FromHandle(dc)) ||
        !pixels.CreateCompatibleBitmap(CDC::FromHandle(dc), 2, 2))
        return colour;
    CBitmap* previous = memory.SelectObject(&pixels);
    memory.FillSolidRect(0, 0, 2, 2, colour);
    const COLORREF back = memory.GetPixel(1, 1);
    memory.SelectObject(previous);
    return back;
}

// Every pixel of bitmap that differs from background becomes what recolour makes of it.
template <typename Recolour>
void RecolourPixels(CDC& dc, int width, int height, COLORREF background, Recolour recolour) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = dc.GetPixel(x, y);
            if (pixel != background)
                dc.SetPixel(x, y, recolour(pixel));
        }
    }
}

// The item icon and its three derived images (copy, shadow, faded) in a new image list, each
// over the button-face colour, which is the mask.
bool MakeDerivedImages(HICON icon, CSize size, bool withDerived, CImageList& list) {
    if (!list.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 1, 1))
        return false;
    if (list.Add(icon) < 0)
        return false;
    if (!withDerived)
        return true;
    CClientDC screen(nullptr);
    CDC* screenDC = &screen;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const double shadowLight = CSkinMenu::IsThemedXP() ? 0.0 : 0.49;
    for (int kind = 0; kind < 3; ++kind) {
        CDC memory;
        CBitmap image;
        if (!memory.CreateCompatibleDC(screenDC) ||
            !image.CreateCompatibleBitmap(screenDC, size.cx, size.cy))
            return false;
        CBitmap* previous = memory.SelectObject(&image);
        memory.FillSolidRect(0, 0, size.cx, size.cy, face);
        ::DrawIconEx(memory, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
        const COLORREF deviceFace = DeviceColour(memory, face);
        if (kind == 1)
            RecolourPixels(memory, size.cx, size.cy, deviceFace,
                           [&](COLORREF) { return BlendTowardWhite(shadow, shadowLight); });
        else if (kind == 2)
            RecolourPixels(memory, size.cx, size.cy, deviceFace, [&](COLORREF pixel) {
                const int grey = (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel)) / 3;
                return BlendTowardWhite(shadow, grey / 255.0);
            });
        memory.SelectObject(previous);
        if (list.Add(&image, face) < 0)
            return false;
    }
    return true;
}

// Reads one zero-terminated wide text of a menu template; false past the end.
bool ReadTemplateText(const BYTE*& cursor, const BYTE* end, CString& text) {
    text.Empty();
    while (cursor + sizeof(WCHAR) <= end) {
        WCHAR c;
        memcpy(&c, cursor, sizeof(c));
        cursor += sizeof(c);
        if (c == 0)
            return true;
        text += c;
    }
    return false;
}

bool ReadTemplateWord(const BYTE*& cursor, const BYTE* end, WORD& value) {
    if (cursor + sizeof(WORD) > end)
        return false;
    memcpy(&value, cursor, sizeof(value));
    cursor += sizeof(value);
    return true;
}

} // namespace

// ---- shared pieces ----

CSkinMenuData::~CSkinMenuData() {
    delete[] m_pszText;
    delete m_pOwnImageList;
}

void CSkinMenuData::SetText(LPCWSTR text) {
    delete[] m_pszText;
    m_pszText = nullptr;
    if (text == nullptr)
        return;
    const size_t length = wcslen(text);
    m_pszText = new wchar_t[length + 1];
    wmemcpy(m_pszText, text, length + 1);
}

SkinMenuShared::SkinMenuShared() : osKind(GetMenuOsStyle()) {}
SkinMenuShared::~SkinMenuShared() = default;

int GetMenuOsStyle() {
    const DWORD version = ::GetVersion();
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const bool known = ::GetVersionExW(&info) != FALSE;
    if (version & 0x80000000) {
        if (LOBYTE(LOWORD(version)) < 4)
            return kMenuOsWin32s;
        if (!known)
            return kMenuOsWin95;
        if (info.dwMajorVersion == 4 && info.dwMinorVersion == 10)
            return kMenuOsWin98;
        if (info.dwMajorVersion == 4 && info.dwMinorVersion == 90)
            return kMenuOsWinMe;
        return kMenuOsWin95;
    }
    if (!known)
        return kMenuOsOtherNt;
    if (info.dwMajorVersion == 4)
        return kMenuOsNt4;
    if (info.dwMajorVersion == 5 && info.dwMinorVersion == 0)
        return kMenuOs2000;
    if (info.dwMajorVersion == 5 && info.dwMinorVersion == 1)
        return kMenuOsXp;
    return kMenuOsOtherNt;
}

namespace {
COLORREF Blend(COLORREF colour, double f, bool towardWhite) {
    if (!(f > 0.0 && f <= 1.0))
        return colour;
    auto channel = [&](int c) {
        return static_cast<int>(towardWhite ? c + f * (255 - c) : c - f * c);
    };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}
} // namespace

COLORREF BlendTowardWhite(COLORREF colour, double f) {
    return Blend(colour, f, true);
}

COLORREF BlendTowardBlack(COLORREF colour, double f) {
    return Blend(colour, f, false);
}

bool GetSystemMenuFont(LOGFONTW& font) {
    // The record as Windows XP knows it: later systems accept it too.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return false;
    font = metrics.lfMenuFont;
    return true;
}

// ---- CSkinMenu ----

IMPLEMENT_DYNAMIC(CSkinMenu, CMenu)

CSkinMenu::CSkinMenu() {
    ::GetCPInfo(CP_ACP, &s_shared.codePage);
    auto makeFont = [](CFont& font, int weight) {
        if (font.GetSafeHandle() == nullptr)
            font.CreateFont(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    };
    makeFont(s_shared.font, FW_NORMAL);
    makeFont(s_shared.boldFont, FW_BOLD);
}

CSkinMenu::~CSkinMenu() {
    DestroyMenu();
}

void CSkinMenu::SetImageSize(int width, int height) {
    s_shared.imageSize = CSize(width, height);
}

BOOL CSkinMenu::IsClassicTheme() {
    static const BOOL classic = [] {
        wchar_t theme[130] = {};
        if (!RegReadStringAt(HKEY_CURRENT_USER, L"Software\\Microsoft\\Plus!\\Themes\\Current", L"",
                             theme, 130))
            return FALSE;
        const CString name(theme);
        const CString ending(L"Windows Classic.theme");
        return name.GetLength() >= ending.GetLength() &&
                       name.Right(ending.GetLength()).CompareNoCase(ending) == 0
                   ? TRUE
                   : FALSE;
    }();
    return classic;
}

BOOL CSkinMenu::IsNewShell() {
    return s_shared.osKind >= kMenuOsWin95;
}

BOOL CSkinMenu::IsThemedXP() {
    return s_shared.osKind == kMenuOsXp && !IsClassicTheme();
}

BOOL CSkinMenu::UsesXPLook() {
    return TRUE;
}

BOOL CSkinMenu::DestroyMenu() {
    const HMENU own = m_hMenu;
    for (INT_PTR i = s_shared.allSubMenus.GetSize() - 1; i >= 0; --i) {
        const HMENU entry = s_shared.allSubMenus[i];
        bool mine = entry == own;
        for (INT_PTR j = 0; j < m_subMenus.GetSize() && !mine; ++j)
            mine = entry == m_subMenus[j];
        if (mine)
            s_shared.allSubMenus.RemoveAt(i);
    }
    for (INT_PTR i = 0; i < m_subMenus.GetSize(); ++i) {
        const HMENU sub = m_subMenus[i];
        // The popup item goes first, so that destroying this menu does not destroy the
        // sub-menu's handle a second time.
        if (own != nullptr) {
            for (int position = ::GetMenuItemCount(own) - 1; position >= 0; --position) {
                if (::GetSubMenu(own, position) == sub)
                    ::RemoveMenu(own, static_cast<UINT>(position), MF_BYPOSITION);
            }
        }
        CMenu* child = CMenu::FromHandlePermanent(sub);
        if (child != nullptr && child->IsKindOf(RUNTIME_CLASS(CSkinMenu)))
            delete child;
        else if (child == nullptr)
            MenuHandle{sub}.Reset(); // no menu object holds it: destroyed here
    }
    m_subMenus.RemoveAll();
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        delete m_items[i];
    m_items.RemoveAll();
    if (!m_bCheckMarksShared)
        delete m_pCheckMarks;
    m_pCheckMarks = nullptr;
    return CMenu::DestroyMenu();
}

int CSkinMenu::AddItemImages(UINT_PTR id, int iconId) {
    // Looking the command up on a toolbar resource of that id: the system has none, so only
    // the hidden bar is made and destroyed.
    {
        CToolBar bar;
        if (bar.Create(CWnd::FromHandle(MainOrDesktopWindow()), kHiddenToolbarStyle, kToolbarId)) {
            if (bar.LoadToolBar(static_cast<UINT>(iconId)))
                (void)bar.GetItemImage(bar.CommandToIndex(static_cast<UINT>(id)));
            bar.DestroyWindow();
        }
    }
    const LPCWSTR name = MAKEINTRESOURCEW(iconId);
    HICON icon = ::LoadIconW(AfxFindResourceHandle(name, RT_GROUP_ICON), name);
    if (icon == nullptr)
        return -1;
    const bool derived = UsesXPLook() != FALSE;
    CImageList images;
    if (!MakeDerivedImages(icon, s_shared.imageSize, derived, images))
        return -1;

    if (s_shared.images.GetSafeHandle() == nullptr &&
        !s_shared.images.Create(s_shared.imageSize.cx, s_shared.imageSize.cy,
                                ILC_COLOR32 | ILC_MASK, 0, 1))
        return -1;
    const UINT command = static_cast<UINT>(id);
    const int count = images.GetImageCount();
    INT_PTR first = -1;
    for (INT_PTR i = 0; i < s_shared.imageIds.GetSize() && first < 0; ++i) {
        if (s_shared.imageIds[i] == command)
            first = i;
    }
    if (first < 0) {
        const int start = s_shared.images.GetImageCount();
        for (int i = 0; i < count; ++i) {
            const IconHandle image(images.ExtractIcon(i));
            if (!image || s_shared.images.Add(image.Get()) < 0)
                return start == s_shared.images.GetImageCount() ? -1 : start;
            s_shared.imageIds.Add(command);
        }
        return start;
    }
    const bool hasDerived = first + 3 < s_shared.imageIds.GetSize() &&
                            s_shared.imageIds[first + 1] == command &&
                            s_shared.imageIds[first + 2] == command;
    const int replace = hasDerived && derived ? count : 1;
    for (int i = 0; i < replace; ++i) {
        const IconHandle image(images.ExtractIcon(i));
        if (image)
            s_shared.images.Replace(static_cast<int>(first) + i, image.Get());
    }
    return static_cast<int>(first);
}

BOOL CSkinMenu::AppendODMenu(LPCWSTR text, UINT flags, UINT_PTR id, int iconId) {
    if (id == 0)
        flags = MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    else
        flags |= MF_OWNERDRAW;
    if (flags & MF_POPUP) {
        const auto sub = reinterpret_cast<HMENU>(id);
        s_shared.allSubMenus.Add(sub);
        m_subMenus.Add(sub);
    }
    auto record = std::make_unique<CSkinMenuData>();
    record->SetText(text);
    SetImageSize(16, 16);
    if (iconId < 1) {
        for (INT_PTR i = 0; i < s_shared.imageIds.GetSize(); ++i) {
            if (s_shared.imageIds[i] == static_cast<UINT>(id)) {
                record->m_nSharedImageIndex = static_cast<int>(i);
                break;
            }
        }
    } else {
        record->m_nSharedImageIndex = AddItemImages(id, iconId);
    }
    record->m_nFlags = flags;
    record->m_nID = id;
    const BOOL appended =
        ::AppendMenuW(m_hMenu, flags, id, reinterpret_cast<LPCWSTR>(record.get()));
    if (appended)
        m_items.Add(record.release());
    if (m_bLoadedFromResource)
        SynchroniseLoadedMenu();
    return appended;
}

void CSkinMenu::CopyCheckMarksTo(CSkinMenu& child) {
    child.m_nSelectedCheck = m_nSelectedCheck;
    child.m_nUnselectedCheck = m_nUnselectedCheck;
    child.m_pCheckMarks = m_pCheckMarks;
    child.m_bCheckMarksShared = TRUE;
}

CSkinMenu* CSkinMenu::AppendODPopupMenu(LPCWSTR text) {
    auto child = std::make_unique<CSkinMenu>();
    CopyCheckMarksTo(*child);
    if (!child->CreatePopupMenu())
        return nullptr;
    if (!AppendODMenu(text, MF_POPUP, reinterpret_cast<UINT_PTR>(child->m_hMenu), -1))
        return nullptr;
    return child.release();
}

BOOL CSkinMenu::LoadMenu(UINT id) {
    return LoadMenu(MAKEINTRESOURCEW(id));
}

BOOL CSkinMenu::LoadMenu(LPCWSTR name) {
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    HRSRC resource = ::FindResourceW(module, name, RT_MENU);
    if (resource == nullptr) {
        module = ::GetModuleHandleW(nullptr);
        resource = ::FindResourceW(module, name, RT_MENU);
    }
    if (resource == nullptr)
        return FALSE;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* start = static_cast<const BYTE*>(::LockResource(loaded));
    const DWORD size = ::SizeofResource(module, resource);
    if (start == nullptr || size < 4)
        return FALSE;
    DestroyMenu();
    if (!CreateMenu())
        return FALSE;
    const BYTE* end = start + size;
    WORD headerOffset = 0;
    memcpy(&headerOffset, start + 2, sizeof(headerOffset));
    const BYTE* cursor = start + 4 + headerOffset;

    std::vector<CSkinMenu*> menus{this};
    std::vector<bool> ended{false};
    while (!menus.empty()) {
        WORD flags = 0;
        WORD id = 0;
        CString text;
        if (!ReadTemplateWord(cursor, end, flags) ||
            (!(flags & kMenuPopup) && !ReadTemplateWord(cursor, end, id)) ||
            !ReadTemplateText(cursor, end, text))
            break; // a damaged template: keep what was read
        const UINT passed = flags & ~kMenuEnd;
        if (flags & kMenuPopup) {
            if (flags & kMenuEnd)
                ended.back() = true;
            auto child = std::make_unique<CSkinMenu>();
            CopyCheckMarksTo(*child);
            if (!child->CreatePopupMenu() ||
                !menus.back()->AppendODMenu(text, passed,
                                            reinterpret_cast<UINT_PTR>(child->m_hMenu), -1))
                break;
            menus.push_back(child.release());
            ended.push_back(false);
            continue;
        }
        menus.back()->AppendODMenu(text, passed, id, -1);
        if (flags & kMenuEnd)
            ended.back() = true;
        while (!menus.empty() && ended.back()) {
            menus.back()->PadAccelerators();
            menus.pop_back();
            ended.pop_back();
        }
    }

    const int count = ::GetMenuItemCount(m_hMenu);
    for (int position = 0; position < count && position < m_items.GetSize(); ++position) {
        CSkinMenuData* record = m_items[position];
        const HMENU sub = ::GetSubMenu(m_hMenu, position);
        if (sub != nullptr) {
            record->m_nFlags = MF_BYPOSITION | MF_POPUP;
            ::ModifyMenuW(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP,
                          reinterpret_cast<UINT_PTR>(sub), record->GetText());
        } else {
            record->m_nFlags = MF_BYPOSITION;
            ::ModifyMenuW(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING,
                          ::GetMenuItemID(m_hMenu, position), record->GetText());
        }
    }
    m_bLoadedFromResource = TRUE;
    return TRUE;
}

void CSkinMenu::PadAccelerators() {
    LOGFONTW logFont{};
    if (!GetSystemMenuFont(logFont))
        return;
    CFont menuFont;
    if (!menuFont.CreateFontIndirect(&logFont))
        return;
    const HWND window = MainOrDesktopWindow();
    CClientDC screen(CWnd::FromHandle(window));
    if (screen.m_hDC == nullptr)
        return;
    CDC* dc = &screen;
    CFont* previous = dc->SelectObject(&menuFont);
    auto widthBeforeTab = [&](const CString& text) {
        const int tab = text.Find(L'\t');
        const CString part = (tab < 0 ? text : text.Left(tab)) + L" ";
        return static_cast<int>(dc->GetTextExtent(part).cx);
    };
    int widest = 0;
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
        if (m_items[i]->GetText() != nullptr)
            widest = std::max(widest, widthBeforeTab(m_items[i]->GetText()));
    }
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
        if (m_items[i]->GetText() == nullptr)
            continue;
        CString text(m_items[i]->GetText());
        const int tab = text.Find(L'\t');
        if (tab < 0)
            continue;
        CString before = text.Left(tab);
        // Each blank widens the part; a font without width for blanks ends the padding.
        while (dc->GetTextExtent(before).cx < widest) {
            const LONG was = dc->GetTextExtent(before).cx;
            before += L' ';
            if (dc->GetTextExtent(before).cx <= was)
                break;
        }
        m_items[i]->SetText(before + text.Mid(tab));
    }
    dc->SelectObject(previous);
}

void CSkinMenu::SynchroniseLoadedMenu() {
    const int count = ::GetMenuItemCount(m_hMenu);
    int start = 0;
    bool found = false;
    for (int position = 0; position < count && !found; ++position) {
        CString text;
        GetMenuString(static_cast<UINT>(position), text, MF_BYPOSITION);
        for (INT_PTR j = 0; j < m_items.GetSize() && !found; ++j) {
            if (m_items[j]->GetText() != nullptr && text == m_items[j]->GetText()) {
                found = true;
                start = position >= j ? position - static_cast<int>(j) : 0;
            }
        }
    }
    for (int position = start, record = 0; position < count && record < m_items.GetSize();
         ++position, ++record) {
        const HMENU sub = ::GetSubMenu(m_hMenu, position);
        if (sub == nullptr)
            continue;
        m_items[record]->m_nFlags = MF_BYPOSITION | MF_POPUP;
        ::ModifyMenuW(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP,
                      reinterpret_cast<UINT_PTR>(sub), m_items[record]->GetText());
    }
}

void CSkinMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    const auto* record = reinterpret_cast<const CSkinMenuData*>(mis->itemData);
    const CSize image = s_shared.imageSize;
    const int pad = UsesXPLook() ? 7 : 4;
    if (record == nullptr)
        return;
    if (record->m_nFlags & MF_SEPARATOR) {
        mis->itemWidth = 0;
        mis->itemHeight = UsesXPLook()
                              ? 3
                              : static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU) / 2,
                                                           static_cast<int>(image.cy + pad) / 2));
        return;
    }
    int textWidth = 0;
    if (s_shared.osKind != kMenuOsWin32s && record->GetText() != nullptr) {
        CClientDC screen(CWnd::FromHandle(MainOrDesktopWindow()));
        LOGFONTW logFont{};
        CFont menuFont;
        if (screen.m_hDC != nullptr) {
            CDC* dc = &screen;
            CFont* previous = nullptr;
            if (IsNewShell() && GetSystemMenuFont(logFont) && menuFont.CreateFontIndirect(&logFont))
                previous = dc->SelectObject(&menuFont);
            textWidth =
                dc->GetTextExtent(record->GetText(), static_cast<int>(wcslen(record->GetText())))
                    .cx;
            if (previous != nullptr)
                dc->SelectObject(previous);
        }
    }
    mis->itemWidth = static_cast<UINT>(UsesXPLook() ? image.cx + pad + textWidth + 8
                                                    : 2 * image.cx + textWidth + 1);
    mis->itemHeight = static_cast<UINT>(
        std::max(::GetSystemMetrics(SM_CYMENU), static_cast<int>(image.cy) + pad));
}
