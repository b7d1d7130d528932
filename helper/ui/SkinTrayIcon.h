// CSkinTrayIcon: an icon with a tooltip in the taskbar's notification area that forwards its
// mouse messages to an owner window, shows the owner's context menu, animates, shows balloon
// tips, and moves a window into the tray and back.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <vector>

#include <classlib/MessageMap.h>
#include <classlib/String.h>
#include <classlib/Window.h>
#include <owners/OwnerTraits.h>

#include "SkinIconHandle.h"

// The notification callback message, also forwarded to the owner.
constexpr UINT kTrayCallbackMessage = 0xDD1;

class CSkinTrayIcon : public CWnd {
    DECLARE_DYNAMIC(CSkinTrayIcon)
    DECLARE_MESSAGE_MAP()
public:
    CSkinTrayIcon();
    ~CSkinTrayIcon() override;

    virtual BOOL Create(LPCWSTR tooltip, UINT unused, CWnd* owner, UINT iconId);
    // menuId names the context menu resource and is the icon's id in the notification area.
    virtual BOOL Create(LPCWSTR tooltip, CWnd* owner, UINT iconId, UINT menuId, UINT defaultItem,
                        bool defaultByPosition);
    virtual void StopAnimation();
    virtual void StartFrameTimer(UINT interval);
    [[nodiscard]] virtual BOOL SetFrameIcons(const UINT* iconIds, int count,
                                             const CString* tooltips);
    [[nodiscard]] virtual BOOL SetFrameIcons(const UINT* iconIds, const CString* tooltips,
                                             int count);
    virtual void AddAgain();
    virtual void ParentToHiddenWindow(CWnd* window);
    virtual void ClearFrameIcons();
    virtual BOOL SetTooltip(LPCWSTR text);
    virtual BOOL SetIconById(UINT iconId);
    virtual void StopFrames();
    virtual void StartFrames(UINT timerId, UINT interval);
    virtual LRESULT OnTrayNotification(WPARAM id, LPARAM message);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL ShellNotify(DWORD message);
    [[nodiscard]] BOOL AddToTray();
    BOOL DeleteFromTray();
    BOOL HideIcon();
    BOOL ShowIcon();

    BOOL SetTrayIcon(HICON icon);
    BOOL SetTrayIcon(LPCWSTR name);
    BOOL SetTrayIcon(UINT iconId);
    HICON GetTrayIcon() const { return m_nid.hIcon; }
    BOOL SetTipText(LPCWSTR text);
    BOOL SetTipText(UINT stringId);
    CString GetTipText() const { return m_strTooltip; }
    BOOL SetOwnerWindow(CWnd* owner);
    CWnd* GetOwnerWindow() const { return CWnd::FromHandle(m_hOwner); }
    BOOL SetNotifyMessage(UINT message);
    UINT GetNotifyMessage() const { return m_nid.uCallbackMessage; }
    BOOL SetMenuDefault(UINT item, bool byPosition);
    void GetMenuDefault(UINT& item, bool& byPosition) const;
    BOOL ShowBalloonTip(LPCWSTR text, LPCWSTR title, DWORD infoFlags, UINT seconds);

    void HideWindowToTray(CWnd* window);
    void RestoreWindowFromTray(CWnd* window);
    static BOOL GetTrayWindowRect(RECT* rect);

protected:
    void OnTimer(UINT_PTR id);
    void OnSettingChange(UINT flags, LPCWSTR section);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

    struct Frame {
        CSkinIconHandle icon;
        CString tooltip;
    };

    UINT m_nReAddFlags = 0;
    UINT m_nDefaultIconId = 0;
    UINT m_nTimerId = 1001;
    int m_nCurrentFrame = 0;
    UINT m_nDefaultItem = 0;
    bool m_bDefaultByPosition = false;
    bool m_bHidden = true;
    bool m_bRemoved = true;
    bool m_bAddFailed = false;
    HWND m_hOwner = nullptr;
    CWnd m_hiddenParent;
    int m_nTipLimit = 64;
    CString m_strTooltip;
    CSkinIconHandle m_currentIcon;
    std::vector<std::unique_ptr<Frame>> m_frames;
    // The version 2 layout, whatever the architecture: up to the info flags.
    NOTIFYICONDATAW m_nid{};

private:
    UniqueResource<owner_traits::Menu> LoadContextMenu() const;
};
