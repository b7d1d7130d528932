// The main program's side of the junk cleaner's pages: the application object's run modes and
// job flags, the main window and its junk panel, the shut-down and restore-point dialogs.
#pragma once

// Makes the program's services the pages' services; the main window calls it before it creates
// the cleaner's pages.
void InstallJunkPagesHost();
