#include "JunkMessages.h"

const JunkMessageIds& JunkMessages() {
    static const JunkMessageIds ids = {
        RegisterWindowMessageW(L"PELQ_JFF_WM_JUNK_SCAN_FINISHED"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_JUNK_SCAN_STOPPED"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_JUNK_DELETE_FINISHED"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_WM_JUNK_OUTPUT"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_DELETE_JUNK_OUTPUT"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_JUNK_OUTPUT_SEL_CHANGE"),
        RegisterWindowMessageW(L"PELQ_JFF_WM_JUNK_ITEM_FOUND"),
    };
    return ids;
}
