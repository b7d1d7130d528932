#include "DupeScanFilter.h"

#include <ProtectedItems.h>

CDupeScanFilter::CDupeScanFilter(const CStringArray& ignoreList) {
    for (INT_PTR i = 0; i < ignoreList.GetSize(); ++i) {
        CString entry = ignoreList[i];
        entry.MakeLower();
        if (!entry.IsEmpty())
            ignored_.push_back(entry);
    }
}

bool CDupeScanFilter::LeavesOutFolder(const CString& path) const {
    CString lowerPath(path);
    lowerPath.MakeLower();
    for (const CString& entry : ignored_) {
        if (lowerPath.Find(entry) >= 0)
            return true;
    }
    return false;
}

bool CDupeScanFilter::LeavesOutFile(const CString& path, const CString& name) const {
    return LeavesOutFolder(path) || IsRiskyExtension(name) || !IsSafeToDelete(path);
}
