#include "SThtmlStatic.h"

#include "HtmlText.h"
#include "ParentBackground.h"

#include <classlib/Resources.h>

#include <pelqview.h>

IMPLEMENT_DYNAMIC(CSThtmlStatic, CStatic)

BEGIN_MESSAGE_MAP(CSThtmlStatic, CStatic)
ON_WM_PAINT()
END_MESSAGE_MAP()

CSThtmlStatic::CSThtmlStatic() = default;

CSThtmlStatic::~CSThtmlStatic() = default;

void CSThtmlStatic::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CString text;
    GetWindowText(text);
    if (m_bTransparent)
        PaintParentBackground(this, &dc, &client);
    PelqHtml_RenderHTMLRect(dc.m_hDC, text, AfxGetModuleState()->m_hCurrentInstanceHandle,
                            HtmlRenderMode(m_bTransparent), &client);
}
