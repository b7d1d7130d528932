// Process-wide handle maps and per-thread state of the window classes (internal).
#pragma once

#include <owners/LockGuards.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <unordered_map>
#include <vector>

class CWnd;
class CDC;
class CMenu;
class CGdiObject;
class CImageList;
class CWinThread;

// Handle -> attached object, shared by all threads of the process.
template <class H, class T> class PermanentMap {
public:
    T* Lookup(H h) {
        const SharedLockGuard hold(m_lock);
        auto it = m_map.find(h);
        return it == m_map.end() ? nullptr : it->second;
    }
    // FALSE when the handle is already attached to an object.
    bool Add(H h, T* p) {
        const ExclusiveLockGuard hold(m_lock);
        return m_map.emplace(h, p).second;
    }
    // The attached objects now, in no order.
    std::vector<T*> Objects() {
        const SharedLockGuard hold(m_lock);
        std::vector<T*> objects;
        objects.reserve(m_map.size());
        for (const auto& entry : m_map)
            objects.push_back(entry.second);
        return objects;
    }
    void Remove(H h, T* p) {
        const ExclusiveLockGuard hold(m_lock);
        auto it = m_map.find(h);
        if (it != m_map.end() && it->second == p)
            m_map.erase(it);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<H, T*> m_map;
};

PermanentMap<HWND, CWnd>& AfxWndMap();
PermanentMap<HDC, CDC>& AfxDCMap();
PermanentMap<HMENU, CMenu>& AfxMenuMap();
PermanentMap<HGDIOBJ, CGdiObject>& AfxGdiMap();

struct AfxThreadState {
    MSG msgCur{};                 // the message the pump fetched last
    MSG lastSent{};               // the message being handled (for CWnd::Default)
    CWnd* pWndInit = nullptr;     // the object that the next created window attaches to
    HWND hWndAttaching = nullptr; // the window being attached by the creation hook
    HHOOK hHookCbt = nullptr;
    HMENU hTrackingMenu = nullptr; // the popup menu opened last (for WM_MEASUREITEM)
    int nWaitCursorCount = 0;
    POINT lastMouse{-1, -1}; // of the last mouse move the pump fetched
    HCURSOR hcurWaitRestore = nullptr;
    CWinThread* pThread = nullptr; // the thread object running on this thread
    // Temporary wrappers, freed when the thread is idle.
    std::unordered_map<HWND, std::unique_ptr<CWnd>> tempWnds;
    std::unordered_map<HDC, std::unique_ptr<CDC>> tempDCs;
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> tempMenus;
    std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>> tempGdi;
    std::unordered_map<HIMAGELIST, std::unique_ptr<CImageList>> tempImageLists;
    ~AfxThreadState();
};

AfxThreadState& AfxGetThreadState();
