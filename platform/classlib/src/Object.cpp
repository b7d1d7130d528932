#include "classlib/Object.h"

#include <cstring>

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    if (!pBaseClass)
        return FALSE;
    // Classes defined in headers have one record per module, so equal names count as equal.
    for (const CRuntimeClass* p = this; p;
         p = p->m_pfnGetBaseClass ? p->m_pfnGetBaseClass() : nullptr) {
        if (p == pBaseClass || strcmp(p->m_lpszClassName, pBaseClass->m_lpszClassName) == 0)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass* CObject::GetThisClass() {
    static CRuntimeClass runtimeClass = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF,
                                         nullptr, nullptr};
    return &runtimeClass;
}

CRuntimeClass* CObject::GetRuntimeClass() const {
    return GetThisClass();
}

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}
