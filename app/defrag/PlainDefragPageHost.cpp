#include "PlainDefragPageHost.h"

#include "FreeSpaceRule.h"
#include "LastScanValues.h"

DefragServiceClient& PlainDefragPageHost::ServiceClient() {
    // Made on first use: a page that never sends opens no service manager.
    if (!m_client) {
        m_service = std::make_unique<ServiceHandles>();
        m_client = std::make_unique<DefragServiceClient>(m_service.get(), m_blockCount);
    }
    return *m_client;
}

void PlainDefragPageHost::StoreJobState(int state, int priority) {
    m_state = state;
    m_priority = priority;
}

void PlainDefragPageHost::SaveLastScanValue(const wchar_t* valueName, const CString& text) {
    // The value is a copy for the next start; a key that cannot be written changes nothing now.
    static_cast<void>(SaveLastScanText(valueName, text));
}

CString PlainDefragPageHost::SaveLastScanDate() {
    CString date;
    static_cast<void>(::SaveLastScanDate(date));
    return date;
}

bool PlainDefragPageHost::ReadDriveSpace(wchar_t drive, ULONGLONG& freeBytes,
                                         ULONGLONG& totalBytes) {
    return ReadDriveFreeSpace(drive, freeBytes, totalBytes);
}
