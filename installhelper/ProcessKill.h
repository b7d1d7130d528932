// Ends the running programs of the product.
#pragma once

// True when the executable name, or the file part of a path, is one of the product's programs
// (ignoring case).
bool IsProductExecutable(const wchar_t* executableName);

// Terminates every process whose executable is one of the product's programs; 0 when no way
// to list processes exists, else 1.
int KillProductProcesses();
