// The extended application class and the look settings it carries: tooltip parameters, the
// themable tooltip control and the visual manager choice. The skinned framework paints
// itself, so these classes keep the settings the program makes; the tooltip control is the
// common tooltip with those parameters.
#pragma once

#include "App.h"
#include "CommonControls.h"

// The look of a themable tooltip.
struct XARN_CLASSLIB_API CMFCToolTipInfo {
    BOOL m_bBoldLabel = TRUE;
    BOOL m_bDrawDescription = TRUE;
    BOOL m_bDrawIcon = TRUE;
    BOOL m_bRoundedCorners = FALSE;
    BOOL m_bDrawSeparator = FALSE;
    BOOL m_bVislManagerTheme = FALSE;
    COLORREF m_clrFill = static_cast<COLORREF>(-1);
    COLORREF m_clrFillGradient = static_cast<COLORREF>(-1);
    COLORREF m_clrText = static_cast<COLORREF>(-1);
    COLORREF m_clrBorder = static_cast<COLORREF>(-1);
    int m_nMaxDescrWidth = 200;
    int m_nGradientAngle = -1;
};

// The tooltip control with its look parameters (the library's defaults when none are given).
class XARN_CLASSLIB_API CMFCToolTipCtrl : public CToolTipCtrl {
    DECLARE_DYNCREATE(CMFCToolTipCtrl)
public:
    explicit CMFCToolTipCtrl(CMFCToolTipInfo* pParams = nullptr);
    void SetParams(CMFCToolTipInfo* pParams);
    const CMFCToolTipInfo& GetParams() const { return m_Params; }

protected:
    CMFCToolTipInfo m_Params;
};

// Which tooltip class and parameters the application's tooltips use, per tooltip type.
class XARN_CLASSLIB_API CTooltipManager : public CObject {
public:
    void SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC = nullptr,
                          CMFCToolTipInfo* pParams = nullptr);
    UINT GetTooltipTypes() const { return m_nTypes; }
    CRuntimeClass* GetTooltipClass() const { return m_pClass; }
    const CMFCToolTipInfo& GetTooltipParams() const { return m_Params; }

private:
    UINT m_nTypes = 0;
    CRuntimeClass* m_pClass = nullptr;
    CMFCToolTipInfo m_Params;
};

class XARN_CLASSLIB_API CMFCVisualManager : public CObject {
    DECLARE_DYNCREATE(CMFCVisualManager)
public:
    static void SetDefaultManager(CRuntimeClass* pRTI);
    static CRuntimeClass* GetDefaultManagerClass();
};

class XARN_CLASSLIB_API CMFCVisualManagerOffice2007 : public CMFCVisualManager {
    DECLARE_DYNCREATE(CMFCVisualManagerOffice2007)
public:
    enum Style {
        Office2007_LunaBlue,
        Office2007_ObsidianBlack,
        Office2007_Aqua,
        Office2007_Silver
    };
    static BOOL SetStyle(Style style, LPCWSTR lpszPath = nullptr);
    static Style GetStyle();
};

class XARN_CLASSLIB_API CWinAppEx : public CWinApp {
    DECLARE_DYNAMIC(CWinAppEx)
public:
    explicit CWinAppEx(BOOL bResourceSmartUpdate = FALSE);
    ~CWinAppEx() override;

    BOOL InitShellManager() { return m_bShellManager = TRUE; }
    BOOL InitKeyboardManager() { return m_bKeyboardManager = TRUE; }
    BOOL InitContextMenuManager() { return m_bContextMenuManager = TRUE; }
    BOOL InitMouseManager() { return m_bMouseManager = TRUE; }
    BOOL InitTooltipManager();
    CTooltipManager* GetTooltipManager() const { return m_pTooltipManager; }
    // The key, below the profile, where the application keeps its workspace settings.
    LPCWSTR SetRegistryBase(LPCWSTR lpszSectionName = nullptr);
    LPCWSTR GetRegistryBase() const { return m_strRegSection; }

    BOOL m_bResourceSmartUpdate;
    BOOL m_bShellManager = FALSE;
    BOOL m_bKeyboardManager = FALSE;
    BOOL m_bContextMenuManager = FALSE;
    BOOL m_bMouseManager = FALSE;

private:
    CTooltipManager* m_pTooltipManager = nullptr;
    CString m_strRegSection;
};
