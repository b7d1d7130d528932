// CDetailView: the details pop-up's panel that shows one found item: its icon, name, type,
// size and times.
#pragma once

#include <windows.h>

#include <classlib/Controls.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>
#include <owners/WinOwners.h>

class CDetailView : public CStatic {
    DECLARE_MESSAGE_MAP()
public:
    CDetailView();

    // Shows the item at `path` (an empty folder's path ends with a backslash).
    void ShowItem(const CString& path, ULONGLONG size, __int64 created, __int64 accessed,
                  __int64 modified);
    // A seconds value (since 1970) as local text with the morning or afternoon format; empty
    // when it cannot be converted.
    static CString FormatItemTime(__int64 seconds);

    CString m_strType;
    CString m_strName;
    CString m_strCreated;
    CString m_strAccessed;
    CString m_strModified;
    CString m_strSize;

protected:
    void OnPaint();
    // Shows `icon` (taken over) instead of the one shown before; null shows the default icon.
    void SetIcon(HICON icon);

private:
    HICON ShownIcon() const { return m_itemIcon ? m_itemIcon.Get() : m_defaultIcon.Get(); }

    IconHandle m_defaultIcon;
    IconHandle m_itemIcon;
};
