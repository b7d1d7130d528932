// CSThtmlStatic: a static control that shows its window text as HTML.
#pragma once

#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

class CSThtmlStatic : public CStatic {
    DECLARE_DYNAMIC(CSThtmlStatic)
    DECLARE_MESSAGE_MAP()
public:
    CSThtmlStatic();
    ~CSThtmlStatic() override;

    // The parent's background shows behind the text.
    bool m_bTransparent = false;

protected:
    void OnPaint();
};
