// The commands that show a page of a left-side panel. The panel's pages are added in slots
// counted from 1; slot n shows on command 1198 + n, which the panel's side button n sends and
// the pages post to their panel to move on.
#pragma once

#include <windows.h>

inline constexpr UINT kFirstPanelPageCommand = 1199;
inline constexpr int kPanelPageSlots = 8;

constexpr UINT PanelPageCommand(int slot) {
    return kFirstPanelPageCommand + static_cast<UINT>(slot - 1);
}
