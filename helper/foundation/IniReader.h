// Texts by key from ini files: the reader, the search for a file, the process-wide text cache
// and the lookup in the language file "pelq.ini" with its override file "client.ini".
#pragma once

#include <windows.h>

#include <classlib/Map.h>
#include <classlib/Object.h>
#include <classlib/String.h>

#include "XarnHelperApi.h"

class CIniReader : public CObject {
    DECLARE_DYNAMIC(CIniReader)
public:
    explicit CIniReader(LPCWSTR path);
    ~CIniReader() override;

    // True with a non-empty text; `text` is emptied first. Served from the cache once read.
    [[nodiscard]] bool ReadString(LPCWSTR key, LPCWSTR section, CString& text);
    // The cache key keeps the file name given at construction.
    void SetPath(LPCWSTR path);

private:
    CString path_;
    CString fileName_;
};

// Every text read, by file name + section + key; entries are never removed.
extern XARNHELPER_DATA CMapStringToString IniTextCache;

// A reader for the named file (searched beside the library with `search`), or null.
CIniReader* OpenIniFile(LPCWSTR name, bool search);
void CloseIniFile(CIniReader* reader);
bool IsIniReader(const void* pointer);

// The text of `key`: from the override reader's section "client", then its `section`, then
// the main reader's `section`. A text found nowhere is reported and answered empty.
CString ReadLangText(LPCWSTR key, LPCWSTR section, CIniReader* reader, CIniReader* override);
// ReadLangText with the key trimmed, on "pelq.ini" with "client.ini" as override.
CString GetLangString(LPCWSTR key, LPCWSTR section);

// Shows the message of a failed lookup. The default is a plain message box; the window
// framework installs the product's own.
using LangTextFailureReporter = void (*)(const CString& message);
void SetLangTextFailureReporter(LangTextFailureReporter reporter);
