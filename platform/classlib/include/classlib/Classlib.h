// The class library: the one header its users include.
#pragma once

#include "Export.h"
#include "Object.h"
#include "String.h"
#include "Exceptions.h"
#include "Geometry.h"
#include "File.h"
#include "Archive.h"
#include "Array.h"
#include "List.h"
#include "Map.h"
#include "Time.h"
// The window half (DLL only).
#include "MessageMap.h"
#include "CmdTarget.h"
#include "Window.h"
#include "Gdi.h"
#include "Menu.h"
#include "Controls.h"
#include "Dialog.h"
#include "App.h"
#include "Resources.h"
