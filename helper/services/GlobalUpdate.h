// The program and definition-database updates: the update query and check, the machine
// identity, and keeping the definition database "Completedatabase.zip" current.
#pragma once

#include <windows.h>

#include <classlib/Object.h>
#include <classlib/String.h>

class CGlobalUpdate : public CObject {
    DECLARE_DYNAMIC(CGlobalUpdate)
public:
    CGlobalUpdate() = default;
    ~CGlobalUpdate() override = default;

    // True when the update server offers a newer version than the helper library's.
    bool CheckForUpdate();
    // The query URL; its length.
    int BuildUpdateQuery(CString& query);
    // The stored machine identity; computed from a network adapter and stored when none is
    // stored. Also the answer.
    CString GetMachineId(CString& id);
    // Twelve upper-case hexadecimal digits of a network adapter's address, or "0".
    static CString GetMacAddress();
    bool IsInternetConnected();

    // True when the local database is current at the end: it already was, or a new one was
    // downloaded, matched the server's digest and replaced it.
    bool UpdateDefinitionDatabase();
    // True when the local database matches the server's digest. The download URL and the
    // digest are handed out whenever the description could be read.
    bool CheckDatabaseCurrent(CString& downloadUrl, CString& digest);
    // True when "DOWNLOADURL" is not empty; both values lower-cased and trimmed.
    bool ReadDatabaseUpdateIni(const CString& path, CString& downloadUrl, CString& digest);
    // True when the file can be hashed and its digest equals `digest` in any letter case.
    bool VerifyFileSha(const CString& path, const CString& digest);
    // The file's SHA-1 digest as 40 upper-case hexadecimal digits, empty when the file cannot
    // be hashed; traced to the standard output.
    CString HashFileReport(const CString& path);
};

// The file `name` in the folder of the program's file.
CString GetProgramFolderFile(LPCWSTR name);
// The version of "xarnhelper.dll" in the program's folder: its version text, "0" when the
// file is missing.
CString GetHelperLibraryVersion();
