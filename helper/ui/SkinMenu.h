// CSkinMenu: a menu whose items are all owner-drawn, with a 16 by 16 image beside the text, in
// a flat XP look or a classic look; CSkinMenuData is the record behind every item.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/CommonControls.h>
#include <classlib/Gdi.h>
#include <classlib/Menu.h>

// One item of a CSkinMenu; owned by the menu that holds the item.
class CSkinMenuData {
public:
    CSkinMenuData() = default;
    ~CSkinMenuData();
    CSkinMenuData(const CSkinMenuData&) = delete;
    CSkinMenuData& operator=(const CSkinMenuData&) = delete;

    void SetText(LPCWSTR text);
    LPCWSTR GetText() const { return m_pszText; }

    LPWSTR m_pszText = nullptr;            // owned; null for an item without text
    int m_nOwnImageIndex = -1;             // in the item's own image list (unused)
    int m_nSharedImageIndex = -1;          // first image in the class-wide list, or -1
    int m_nImageResourceId = -1;           // the item's own image (unused)
    UINT m_nFlags = 0;                     // MF_ flags the item was appended with
    UINT_PTR m_nID = 0;                    // command id, or the sub-menu of a popup item
    UINT m_reserved[3] = {};               // set by nothing
    CImageList* m_pOwnImageList = nullptr; // owned
    UINT m_reserved2 = 0;
};

// What all menus share: the system kind, the image size, the image list keyed by command id,
// every popup appended, and the text fonts. Made when the library loads.
struct SkinMenuShared {
    SkinMenuShared();
    ~SkinMenuShared();
    SkinMenuShared(const SkinMenuShared&) = delete;
    SkinMenuShared& operator=(const SkinMenuShared&) = delete;

    int osKind;
    CSize imageSize{19, 19};
    CImageList images;
    CArray<UINT, UINT> imageIds; // one command id per image
    CArray<HMENU, HMENU> allSubMenus;
    CFont font;     // "Tahoma" -11, normal: the XP look's item text
    CFont boldFont; // the same, bold
    CPINFO codePage{};
};

// The system kinds GetMenuOsStyle answers.
enum MenuOsKind : int {
    kMenuOsWin32s = 0,
    kMenuOsOtherNt = 1,
    kMenuOsWin95 = 2,
    kMenuOsWin98 = 3,
    kMenuOsWinMe = 4,
    kMenuOsNt4 = 5,
    kMenuOs2000 = 6,
    kMenuOsXp = 7,
};
int GetMenuOsStyle();

// Each channel moved towards white (or black) by f in (0, 1]; other f leave the colour.
COLORREF BlendTowardWhite(COLORREF colour, double f);
COLORREF BlendTowardBlack(COLORREF colour, double f);

// The menu font of the system (SPI_GETNONCLIENTMETRICS, lfMenuFont).
bool GetSystemMenuFont(LOGFONTW& font);

class CSkinMenu : public CMenu {
    DECLARE_DYNAMIC(CSkinMenu)
public:
    CSkinMenu();
    ~CSkinMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    virtual BOOL LoadMenu(UINT id);
    virtual BOOL LoadMenu(LPCWSTR name);
    BOOL DestroyMenu() override;

    // Appends an owner-drawn item (a separator for id 0) with the icon resource iconId (none
    // below 1: the image already stored for the command id, if any).
    BOOL AppendODMenu(LPCWSTR text, UINT flags = MF_OWNERDRAW, UINT_PTR id = 0, int iconId = -1);
    // A new child menu appended as a popup item; deleted by this menu's DestroyMenu.
    CSkinMenu* AppendODPopupMenu(LPCWSTR text);

    static void SetImageSize(int width, int height);
    static BOOL IsClassicTheme();
    static BOOL IsNewShell();
    static BOOL IsThemedXP();
    static BOOL UsesXPLook();
    static SkinMenuShared& Shared() { return s_shared; }

    // The item records, in item order.
    const CTypedPtrArray<CPtrArray, CSkinMenuData*>& Items() const { return m_items; }

private:
    static SkinMenuShared s_shared;

    void CopyCheckMarksTo(CSkinMenu& child);
    int AddItemImages(UINT_PTR id, int iconId);
    void PadAccelerators();
    void SynchroniseLoadedMenu();
    void DrawItemXP(LPDRAWITEMSTRUCT dis);
    void DrawItemClassic(LPDRAWITEMSTRUCT dis);

    CTypedPtrArray<CPtrArray, CSkinMenuData*> m_items;
    CArray<HMENU, HMENU> m_subMenus;
    COLORREF m_crBitmapBackground = RGB(220, 240, 252);
    BOOL m_bUseBitmapBackground = FALSE;
    BOOL m_bSecondDisabledStyle = FALSE;
    CImageList* m_pCheckMarks = nullptr;
    BOOL m_bCheckMarksShared = FALSE;
    int m_nSelectedCheck = -1;
    int m_nUnselectedCheck = -1;
    BOOL m_bLoadIcons = TRUE;
    BOOL m_bLoadedFromResource = FALSE;
};
