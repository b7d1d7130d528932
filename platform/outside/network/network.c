// Stand-in for the outside library "Network.dll": its ordinal 14 takes an encoded feedback
// report and its file name; ordinals 2, 4 and 9 exist beside it. This one records what it is given and answers as a test asks;
// the functions exported by name let a test set the answer and read the record.
#include <windows.h>

#include <stdlib.h>
#include <wchar.h>

static CRITICAL_SECTION g_lock;
static int g_answer = 1;
static int g_uploads;
static wchar_t* g_payload;
static wchar_t* g_fileName;

static wchar_t* CopyText(const wchar_t* text) {
    const size_t length = text ? wcslen(text) : 0;
    wchar_t* copy = malloc((length + 1) * sizeof(wchar_t));
    if (copy) {
        if (length)
            wmemcpy(copy, text, length);
        copy[length] = L'\0';
    }
    return copy;
}

// Ordinals 2, 4 and 9: entries the product binds beside the upload and never calls; each
// answers its own number, so a test can tell them apart.
int WINAPI NetworkStandInEntry2(void) {
    return 2;
}
int WINAPI NetworkStandInEntry4(void) {
    return 4;
}
int WINAPI NetworkStandInEntry9(void) {
    return 9;
}

// Ordinal 14: non-zero when the report was accepted.
int WINAPI NetworkUploadReport(const wchar_t* payload, const wchar_t* fileName) {
    EnterCriticalSection(&g_lock);
    free(g_payload);
    free(g_fileName);
    g_payload = CopyText(payload);
    g_fileName = CopyText(fileName);
    ++g_uploads;
    const int answer = g_answer;
    LeaveCriticalSection(&g_lock);
    return answer;
}

// What later uploads answer (1 at first).
void NetworkStandInSetAnswer(int answer) {
    EnterCriticalSection(&g_lock);
    g_answer = answer;
    LeaveCriticalSection(&g_lock);
}

int NetworkStandInUploadCount(void) {
    EnterCriticalSection(&g_lock);
    const int count = g_uploads;
    LeaveCriticalSection(&g_lock);
    return count;
}

// Copies the last upload's payload (which = 0) or file name (which = 1) into `text`; the
// text's full length, or -1 when nothing was uploaded yet.
int NetworkStandInLastUpload(int which, wchar_t* text, int capacity) {
    EnterCriticalSection(&g_lock);
    const wchar_t* recorded = which ? g_fileName : g_payload;
    int length = -1;
    if (recorded) {
        length = (int)wcslen(recorded);
        if (text && capacity > 0) {
            const int copied = length < capacity - 1 ? length : capacity - 1;
            wmemcpy(text, recorded, (size_t)copied);
            text[copied] = L'\0';
        }
    }
    LeaveCriticalSection(&g_lock);
    return length;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lock);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        free(g_payload);
        free(g_fileName);
        DeleteCriticalSection(&g_lock);
    }
    return TRUE;
}
