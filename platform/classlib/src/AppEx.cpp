#include "classlib/AppEx.h"

IMPLEMENT_DYNCREATE(CMFCToolTipCtrl, CToolTipCtrl)
IMPLEMENT_DYNCREATE(CMFCVisualManager, CObject)
IMPLEMENT_DYNCREATE(CMFCVisualManagerOffice2007, CMFCVisualManager)
IMPLEMENT_DYNAMIC(CWinAppEx, CWinApp)

namespace {
CRuntimeClass* g_visualManager = nullptr;
CMFCVisualManagerOffice2007::Style g_office2007Style =
    CMFCVisualManagerOffice2007::Office2007_LunaBlue;
} // namespace

CMFCToolTipCtrl::CMFCToolTipCtrl(CMFCToolTipInfo* pParams) {
    SetParams(pParams);
}

void CMFCToolTipCtrl::SetParams(CMFCToolTipInfo* pParams) {
    m_Params = pParams != nullptr ? *pParams : CMFCToolTipInfo();
    if (m_hWnd != nullptr)
        SetMaxTipWidth(m_Params.m_nMaxDescrWidth);
}

void CTooltipManager::SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC, CMFCToolTipInfo* pParams) {
    m_nTypes = nTypes;
    m_pClass = pRTC;
    m_Params = pParams != nullptr ? *pParams : CMFCToolTipInfo();
}

void CMFCVisualManager::SetDefaultManager(CRuntimeClass* pRTI) {
    g_visualManager = pRTI;
}

CRuntimeClass* CMFCVisualManager::GetDefaultManagerClass() {
    return g_visualManager;
}

BOOL CMFCVisualManagerOffice2007::SetStyle(Style style, LPCWSTR) {
    g_office2007Style = style;
    return TRUE;
}

CMFCVisualManagerOffice2007::Style CMFCVisualManagerOffice2007::GetStyle() {
    return g_office2007Style;
}

CWinAppEx::CWinAppEx(BOOL bResourceSmartUpdate) : m_bResourceSmartUpdate(bResourceSmartUpdate) {}

CWinAppEx::~CWinAppEx() {
    delete m_pTooltipManager;
}

BOOL CWinAppEx::InitTooltipManager() {
    if (m_pTooltipManager == nullptr)
        m_pTooltipManager = new CTooltipManager;
    return TRUE;
}

LPCWSTR CWinAppEx::SetRegistryBase(LPCWSTR lpszSectionName) {
    m_strRegSection = lpszSectionName != nullptr ? lpszSectionName : L"Workspace";
    return m_strRegSection;
}
