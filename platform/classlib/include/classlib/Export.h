// Export macro of the class library: the DLL exports, its users import, the static variant
// (for programs that link the core directly) uses neither.
#pragma once

#if defined(XARN_CLASSLIB_STATIC)
#define XARN_CLASSLIB_API
#elif defined(XARN_CLASSLIB_BUILDING)
#define XARN_CLASSLIB_API __declspec(dllexport)
#else
#define XARN_CLASSLIB_API __declspec(dllimport)
#endif
