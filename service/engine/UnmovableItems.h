// Items the engine never moves: boot files, the paging and hibernation files, boot-manager
// files of other products and the bad-cluster file, recognised by their full path.
#pragma once

#include <string_view>

// True when one of the unmovable-item patterns occurs in the lower-cased full path
// ("D:\dir\name"). A pattern that begins with ":\" matches only at the volume root.
bool IsUnmovablePath(std::wstring_view path);

// For a walk, whose items share their directory's path: whether a pattern occurs in path other
// than wholly inside its first knownUnits units (a match there may be answered too). Together
// with IsUnmovablePath of those units it answers IsUnmovablePath of the whole path.
bool IsUnmovablePathPast(std::wstring_view path, size_t knownUnits);
