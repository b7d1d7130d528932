// What the information dialogs ask of the system (the shut-down privilege, shutting Windows
// down, the product's web page and support mail), through one table that tests replace.
#pragma once

#include <windows.h>

struct InfoDialogActions {
    // Enables the shut-down privilege of the process token; false when a step fails or the
    // privilege was not granted.
    bool (*enableShutdownPrivilege)();
    // ExitWindowsEx.
    BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
    void (*openWebPage)();
    void (*openSupportMail)();
};

// The table in use: the system's, unless a test set its own.
const InfoDialogActions& GetInfoDialogActions();
// Takes `actions` (kept by the caller while set); nullptr restores the system's.
void SetInfoDialogActions(const InfoDialogActions* actions);
