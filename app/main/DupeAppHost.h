// The main program's side of the duplicate finder's pages: the application object's finder and
// data folder, the main window and its controls, the program's language file.
#pragma once

// Makes the program's host the pages' host; the main window calls it before it creates the
// finder's pages.
void InstallDupePagesHost();
