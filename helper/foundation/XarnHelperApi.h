// Data exported by the shared library: imported by its users, defined inside it.
#pragma once

#if defined(XARNHELPER_BUILDING)
#define XARNHELPER_DATA
#else
#define XARNHELPER_DATA __declspec(dllimport)
#endif
