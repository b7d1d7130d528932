// The table of the maker's tools (constant rows); row 7 is the main program.
#pragma once

#include <windows.h>

constexpr int kToolCount = 26;
constexpr int kMainProgramTool = 7;

// Read-only views of one row; `tool` must be a row of the table.
LPCWSTR GetToolTitle(int tool);
LPCWSTR GetToolCaption(int tool);
LPCWSTR GetToolIniName(int tool);
LPCWSTR GetToolExeName(int tool);
int GetToolIconId(int tool);
