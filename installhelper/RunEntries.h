// Removes the product's autostart values.
#pragma once

// Deletes the product's values under the Run key of the current user and of the machine;
// absent values and denied access are ignored.
void DeleteRunEntries();
