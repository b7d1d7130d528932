// The drive combo box the disk tabs share: the present drives of the table, in table order,
// and the selected drive that follows its selection.
#pragma once

#include "PhysicalDiskTable.h"

// The message a tab receives when the selected drive changed (posted).
inline constexpr UINT kDriveSelectionChanged = WM_USER + 1;

// Adds the display name of every present drive with its number as the item's data; when the
// combo then holds an item, selects the first and makes its drive the selected one.
void FillPhysicalDiskCombo(HWND combo, PhysicalDiskTables& tables);

// On the combo's selection change: the chosen item's drive becomes the selected one and the
// tab is told with kDriveSelectionChanged.
void OnPhysicalDiskComboChange(HWND combo, PhysicalDiskTables& tables, HWND tab);
