// CObject, the root of the class tree, with run-time class information.
//
// Every class that declares DECLARE_DYNAMIC/DECLARE_DYNCREATE gets one CRuntimeClass record,
// made on first use inside the class's own GetThisClass(), so no data item has to be
// imported across the DLL boundary.
#pragma once

#include <windows.h>

#include "Export.h"

class CArchive;
class CObject;

struct XARN_CLASSLIB_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* (*m_pfnGetBaseClass)();

    // Null when the class is not creatable at run time.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class XARN_CLASSLIB_API CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);

    static CRuntimeClass* GetThisClass();
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;

private:
    // Objects are not copied through the base; derived value classes define their own copies.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static CRuntimeClass* GetThisClass();                                                          \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* CreateObject();

#define XARN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                           \
    CRuntimeClass* class_name::GetThisClass() {                                                    \
        static CRuntimeClass runtimeClass = {#class_name, static_cast<int>(sizeof(class_name)),    \
                                             0xFFFF, pfnNew, &base_class_name::GetThisClass};      \
        return &runtimeClass;                                                                      \
    }                                                                                              \
    CRuntimeClass* class_name::GetRuntimeClass() const {                                           \
        return class_name::GetThisClass();                                                         \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    XARN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject() {                                                          \
        return new class_name;                                                                     \
    }                                                                                              \
    XARN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

// For classes defined wholly in a header (one copy per module is harmless: the record is
// compared by name, not by address).
#define DECLARE_DYNAMIC_INLINE(class_name, base_class_name)                                        \
public:                                                                                            \
    static CRuntimeClass* GetThisClass() {                                                         \
        static CRuntimeClass runtimeClass = {#class_name, static_cast<int>(sizeof(class_name)),    \
                                             0xFFFF, nullptr, &base_class_name::GetThisClass};     \
        return &runtimeClass;                                                                      \
    }                                                                                              \
    CRuntimeClass* GetRuntimeClass() const override {                                              \
        return class_name::GetThisClass();                                                         \
    }
