// Stand-in for the System Restore client. Its outcome comes from the environment:
//   XARN_SRCLIENT_FAIL = "begin": every begin of a system change fails,
//                        "end": every end of a system change fails;
//   XARN_SRCLIENT_LOG  = a file that gets one line per call ("begin <event> <type> <text>",
//                        "end <sequence>", "remove <sequence>"), in UTF-8.
#include <windows.h>
#include <srrestoreptapi.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

// Sequence numbers handed out by the begin calls of this process.
static LONG g_lastSequence = 100;

static BOOL FailureChosen(const wchar_t* stage) {
    wchar_t value[16];
    const DWORD length = GetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", value, 16);
    return length > 0 && length < 16 && lstrcmpiW(value, stage) == 0;
}

static void LogCall(const wchar_t* line) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"XARN_SRCLIENT_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char utf8[1024];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8 - 2, NULL, NULL);
    if (bytes <= 0)
        return;
    utf8[bytes - 1] = '\n';
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, utf8, (DWORD)bytes, &written, NULL);
    CloseHandle(file);
}

__declspec(dllexport) BOOL WINAPI
    SRSetRestorePointW(PRESTOREPOINTINFOW spec, PSTATEMGRSTATUS status) {
    if (!spec || !status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    wchar_t line[400];
    wchar_t description[MAX_DESC_W + 1];
    memcpy(description, spec->szDescription, sizeof spec->szDescription);
    description[MAX_DESC_W] = L'\0';
    if (spec->dwEventType == BEGIN_SYSTEM_CHANGE) {
        _snwprintf(line, 400, L"begin %lu %lu %ls", spec->dwEventType, spec->dwRestorePtType,
                   description);
        line[399] = L'\0';
        LogCall(line);
        if (FailureChosen(L"begin")) {
            status->nStatus = ERROR_SERVICE_DISABLED;
            status->llSequenceNumber = 0;
            return FALSE;
        }
        status->nStatus = ERROR_SUCCESS;
        status->llSequenceNumber = InterlockedIncrement(&g_lastSequence);
        return TRUE;
    }
    _snwprintf(line, 400, L"end %I64d", spec->llSequenceNumber);
    line[399] = L'\0';
    LogCall(line);
    status->llSequenceNumber = spec->llSequenceNumber;
    if (spec->dwEventType != END_SYSTEM_CHANGE || FailureChosen(L"end")) {
        status->nStatus = ERROR_INTERNAL_ERROR;
        return FALSE;
    }
    status->nStatus = ERROR_SUCCESS;
    return TRUE;
}

__declspec(dllexport) DWORD WINAPI SRRemoveRestorePoint(DWORD sequence) {
    wchar_t line[64];
    _snwprintf(line, 64, L"remove %lu", sequence);
    line[63] = L'\0';
    LogCall(line);
    return ERROR_SUCCESS;
}
