// Console texts of the service program. The program is a windowed one: it writes to the
// standard output handle it was given, or else to its parent's console.
#pragma once

#include <string>

void PrintConsole(const std::string& text);
