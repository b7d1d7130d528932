// The definition-database half of CGlobalUpdate.
#include "GlobalUpdate.h"

#include <shlobj.h>

#include <cstdio>

#include <classlib/Exceptions.h>

#include "DownloadQueue.h"
#include "UpdateIniReader.h"
#include "UpdateServer.h"
#include "WinInet.h"
#include "Paths.h"
#include "SHA1.h"

namespace {

constexpr wchar_t kDatabaseName[] = L"Completedatabase.zip";
constexpr wchar_t kDescriptionName[] = L"dbUpdate.ini";

// Downloads one file with the download dialog; false when it did not arrive.
bool DownloadOne(const CString& url, const CString& destination, LPCWSTR hidden) {
    if (!IsInternetConnected())
        return false;
    ClearDownloadFiles();
    if (!AddDownloadFile(url, destination))
        return false;
    SetDownloadOption(L"hidden", hidden);
    return RunDownloadDialog(nullptr) != 0;
}

} // namespace

bool CGlobalUpdate::ReadDatabaseUpdateIni(const CString& path, CString& downloadUrl,
                                          CString& digest) {
    CUpdateIniReader reader;
    reader.SetFileName(path);
    digest = reader.GetKeyValue(L"SHA", L"QuorvelUpdates");
    digest.MakeLower().Trim();
    downloadUrl = reader.GetKeyValue(L"DOWNLOADURL", L"QuorvelUpdates");
    downloadUrl.MakeLower().Trim();
    return !downloadUrl.IsEmpty();
}

CString CGlobalUpdate::HashFileReport(const CString& path) {
    CSHA1 sha;
    wchar_t digest[80] = {};
    bool hashed = sha.HashFile(path);
    if (hashed) {
        sha.Final();
        hashed = sha.ReportHash(digest, CSHA1::kHexPlain);
    }
    wprintf(L"\r\n Filename: %ls", path.GetString());
    if (hashed)
        wprintf(L"\r\n File contents hashed to:\r\n %ls\r\n", digest);
    else
        wprintf(L"\r\n An error occured (does the file really exist?).\r\n");
    return CString(digest);
}

bool CGlobalUpdate::VerifyFileSha(const CString& path, const CString& digest) {
    const CString actual = HashFileReport(path);
    return !actual.IsEmpty() && actual.CompareNoCase(digest) == 0;
}

bool CGlobalUpdate::CheckDatabaseCurrent(CString& downloadUrl, CString& digest) {
    const CString description = GetProgramFolderFile(kDescriptionName);
    DeleteFileW(description);
    try {
        if (!DownloadOne(MakeUpdateServerUrl(L"quorvelupdates/CompleteDatabase/getdatabase.asp"),
                         description, L"1") ||
            PathExists(description) != 1)
            return false;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
    if (!ReadDatabaseUpdateIni(description, downloadUrl, digest))
        return false;
    const CString database = GetProgramFolderFile(kDatabaseName);
    return PathExists(database) == 1 && VerifyFileSha(database, digest);
}

bool CGlobalUpdate::UpdateDefinitionDatabase() {
    CString downloadUrl;
    CString digest;
    if (CheckDatabaseCurrent(downloadUrl, digest))
        return true;
    const CString updates = GetProgramFolderFile(L"DBUpdates");
    const int created = SHCreateDirectoryExW(nullptr, updates, nullptr);
    if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS && created != ERROR_FILE_EXISTS)
        return false;
    CString newFile = updates;
    AppendPath(newFile, kDatabaseName);
    const CString target = GetProgramFolderFile(kDatabaseName);
    DeleteFileW(newFile);
    // Without a digest no download can be vouched for: the database stays as it is.
    if (downloadUrl.IsEmpty() || digest.IsEmpty())
        return false;
    try {
        if (!DownloadOne(downloadUrl, newFile, L"0")) {
            DeleteFileW(newFile);
            return false;
        }
        if (PathExists(newFile) != 1)
            return false;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
    // Checked before it replaces anything: a damaged download never costs the working
    // database.
    if (!VerifyFileSha(newFile, digest) ||
        !MoveFileExW(newFile, target,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(newFile);
        return false;
    }
    return true;
}
