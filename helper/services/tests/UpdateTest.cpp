// The program and definition-database updates: version texts and their comparison, the
// update ini's escapes, the machine identity, the update check and the database update against
// a local update server, and the library's exported update services.
// The test server first: it needs Winsock 2 before the Windows headers.
#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include "GlobalUpdate.h"
#include "ServicesTestSupport.h"
#include "UpdateIniReader.h"
#include "UpdateServer.h"
#include "VersionText.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "TestSupport.h"

namespace {

// A product-wide registry value for the test's length; the former value comes back after.
class ProductValue {
public:
    ProductValue(LPCWSTR name, const CString& value) : name_(name) {
        CRegistry registry(HKEY_LOCAL_MACHINE);
        if (registry.Open(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), true)) {
            had_ = registry.ReadString(name_, former_);
            EXPECT_TRUE(registry.WriteString(name_, value));
        }
    }
    ~ProductValue() {
        CRegistry registry(HKEY_LOCAL_MACHINE);
        if (!registry.Open(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), true))
            return;
        if (had_)
            EXPECT_TRUE(registry.WriteString(name_, former_));
        else
            EXPECT_TRUE(registry.DeleteValue(name_));
    }
    ProductValue(const ProductValue&) = delete;
    ProductValue& operator=(const ProductValue&) = delete;

private:
    LPCWSTR name_;
    CString former_;
    bool had_ = false;
};

std::wstring Path(const CString& text) {
    return std::wstring(text.GetString());
}

TEST(VersionText, PiecesAreSplitAtEachDelimiter) {
    CStringArray parts;
    SplitVersionText(L"1.2..4", L".", parts);
    ASSERT_EQ(4, parts.GetSize());
    EXPECT_EQ(CString(L""), parts[2]);
    SplitVersionText(L"", L".", parts);
    ASSERT_EQ(1, parts.GetSize());
    EXPECT_TRUE(parts[0].IsEmpty());
    SplitVersionText(L"3", L".", parts);
    ASSERT_EQ(1, parts.GetSize());
    EXPECT_EQ(CString(L"3"), parts[0]);
    SplitVersionText(L"1.2", L"..", parts); // not one character: nothing split
    ASSERT_EQ(1, parts.GetSize());
    EXPECT_TRUE(parts[0].IsEmpty());
    SplitVersionText(L"1.", L".", parts);
    ASSERT_EQ(2, parts.GetSize());
    EXPECT_EQ(CString(L"1"), VersionPart(parts, 0));
    EXPECT_TRUE(VersionPart(parts, 1).IsEmpty());
    EXPECT_TRUE(VersionPart(parts, 2).IsEmpty());
    EXPECT_TRUE(VersionPart(parts, -1).IsEmpty());
}

TEST(VersionText, TheFirstDifferingPartDecides) {
    EXPECT_TRUE(IsNewerVersion(L"2.0.0.0", L"1,9,9,9"));
    EXPECT_FALSE(IsNewerVersion(L"1.9.9.9", L"2,0,0,0"));
    EXPECT_FALSE(IsNewerVersion(L"1.2.3.4", L"1,2,3,4"));
    EXPECT_TRUE(IsNewerVersion(L"1.2.3.5", L"1,2,3,4"));
    EXPECT_FALSE(IsNewerVersion(L"1.2.3.3", L"1,2,3,4"));
    EXPECT_TRUE(IsNewerVersion(L"3.1", L"3,0,9,9"));  // 3.1.0.0
    EXPECT_FALSE(IsNewerVersion(L"3.1", L"3,1,0,0")); // equal
    EXPECT_TRUE(IsNewerVersion(L"0.0.0.1", L"0"));    // no local library
    EXPECT_FALSE(IsNewerVersion(L"0.0.0.0", L"0"));
    EXPECT_TRUE(IsNewerVersion(L"10.0", L"9,99,99,99")); // numbers, not texts
    EXPECT_TRUE(IsNewerVersion(L"2b.1", L"1,5"));        // leading digits only
}

TEST(VersionText, ALocalVersionWithFullStopsComparesPartByPart) {
    // The version helper writes "1.9.9.9"; read as one piece it would be 1.0.0.0.
    EXPECT_FALSE(IsNewerVersion(L"1.5.0.0", L"1.9.9.9"));
    EXPECT_TRUE(IsNewerVersion(L"1.9.9.10", L"1.9.9.9"));
}

TEST(UpdateIniReader, EscapesAreUndoneInTheirOrder) {
    TempFolder folder;
    const std::wstring ini = folder / L"LatestVersion.ini";
    WriteBytes(ini, "[Application]\r\n"
                    "Description=one\\ntwo\\tthree\\rfour\r\n"
                    "Tricky=a\\\\nb\r\n"
                    "Plain=a\\\\b\r\n"
                    "PROGRAM_VERSION=2.0.0.0\r\n");
    CUpdateIniReader reader;
    reader.SetFileName(ini.c_str());
    EXPECT_EQ(CString(L"one\ntwo\tthree\rfour"),
              reader.GetKeyValue(L"Description", L"Application"));
    // a, two backslashes, n, b: the "\n" is taken first, then the escaped backslash.
    EXPECT_EQ(CString(L"a\\\nb"), reader.GetKeyValue(L"Tricky", L"Application"));
    EXPECT_EQ(5u, reader.GetLastLength());
    EXPECT_EQ(CString(L"a\\b"), reader.GetKeyValue(L"Plain", L"Application"));
    EXPECT_EQ(CString(L"2.0.0.0"), reader.GetKeyValue(L"program_version", L"application"));
    EXPECT_TRUE(reader.GetKeyValue(L"Missing", L"Application").IsEmpty());
    reader.SetFileName((folder / L"none.ini").c_str());
    EXPECT_TRUE(reader.GetKeyValue(L"PROGRAM_VERSION", L"Application").IsEmpty());
}

TEST(MachineId, AStoredIdentityIsKeptAndAMissingOneIsMadeAndStored) {
    {
        const ProductValue stored(L"MachineId", L"0123456789AB");
        CGlobalUpdate update;
        CString id;
        EXPECT_EQ(CString(L"0123456789AB"), update.GetMachineId(id));
        EXPECT_EQ(CString(L"0123456789AB"), id);
    }
    const ProductValue empty(L"MachineId", L"");
    CGlobalUpdate update;
    CString id;
    update.GetMachineId(id);
    EXPECT_TRUE(id == L"0" ||
                (id.GetLength() == 12 && id.FindOneOf(L"abcdefghijklmnopqrstuvwxyz") < 0))
        << Narrow(id);
    EXPECT_EQ(CGlobalUpdate::GetMacAddress(), id);
    CString again;
    EXPECT_EQ(id, update.GetMachineId(again)); // now from the store
    CRegistry registry(HKEY_LOCAL_MACHINE);
    CString stored;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), false));
    ASSERT_TRUE(registry.ReadString(L"MachineId", stored));
    EXPECT_EQ(id, stored);
}

// The update server of the tests: its address is the deployment setting while it runs.
class UpdateServerTest : public ::testing::Test {
protected:
    UpdateServerTest() : server_([this](const HttpRequest& request) { return Answer(request); }) {}

    void SetUp() override {
        ASSERT_TRUE(server_.Start());
        address_ = std::make_unique<ProductValue>(L"UpdateServer", Wide(server_.Host()));
        machineId_ = std::make_unique<ProductValue>(L"MachineId", L"00AA11BB22CC");
        RemoveProgramFiles();
    }
    void TearDown() override {
        RemoveProgramFiles();
        server_.Stop();
    }

    void RemoveProgramFiles() {
        DeleteFileW(GetProgramFolderFile(L"dbUpdate.ini"));
        DeleteFileW(GetProgramFolderFile(L"Completedatabase.zip"));
        TempFolder::RemoveTree(Path(GetProgramFolderFile(L"DBUpdates")));
    }

    HttpResponse Answer(const HttpRequest& request) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = answers_.find(request.target.substr(0, request.target.find('?')));
        if (found == answers_.end())
            return HttpResponse::Status(404, "not here");
        return HttpResponse::Status(found->second.first, found->second.second);
    }
    void SetAnswer(const std::string& path, int status, const std::string& body) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_[path] = {status, body};
    }
    int GetsOf(const std::string& path) const {
        int count = 0;
        for (const HttpRequest& request : server_.Requests())
            count += request.method == "GET" &&
                     request.target.substr(0, request.target.find('?')) == path;
        return count;
    }

    CTestHttpServer server_;
    std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> answers_;
    std::unique_ptr<ProductValue> address_;
    std::unique_ptr<ProductValue> machineId_;
};

constexpr char kQueryPath[] = "/pelqupdates/update.aspx";

TEST_F(UpdateServerTest, TheQueryCarriesVersionAndIdentity) {
    CGlobalUpdate update;
    CString query;
    const int length = update.BuildUpdateQuery(query);
    EXPECT_EQ(query.GetLength(), length);
    EXPECT_EQ(Wide(server_.Url(kQueryPath)) + L"?productname=pelq&currentapplicationid=" +
                  GetHelperLibraryVersion() + L"&currentdbversionid=1&machineid=00AA11BB22CC",
              query);
}

TEST_F(UpdateServerTest, ANewerServerVersionIsAnUpdate) {
    SetAnswer(kQueryPath, 200,
              "[Application]\r\nPROGRAM_VERSION=99.0.0.0\r\n"
              "PROGRAM_URL=http://127.0.0.1/x\r\nOpen_Browser=1\r\n");
    CGlobalUpdate update;
    EXPECT_TRUE(update.CheckForUpdate());
    ASSERT_EQ(1, GetsOf(kQueryPath));
    EXPECT_NE(std::string::npos,
              server_.Requests().back().target.find("currentdbversionid=1&machineid=00AA11BB22CC"));
    CString answer;
    ASSERT_TRUE(GetUserDataFolder(answer));
    AppendPath(answer, L"LatestVersion.ini");
    EXPECT_EQ(1, PathExists(answer));
}

TEST_F(UpdateServerTest, NoUpdateWithoutAUsableAnswer) {
    CGlobalUpdate update;
    // The local library has version 0 or none: only a version of 0 is not newer.
    SetAnswer(kQueryPath, 200, "[Application]\r\nPROGRAM_VERSION=0.0.0.0\r\n");
    EXPECT_FALSE(update.CheckForUpdate());
    SetAnswer(kQueryPath, 200, "[Application]\r\nPROGRAM_URL=http://127.0.0.1/x\r\n");
    EXPECT_FALSE(update.CheckForUpdate());
    SetAnswer(kQueryPath, 200, "");
    EXPECT_FALSE(update.CheckForUpdate());
    // A stale answer of an earlier check is not read again.
    SetAnswer(kQueryPath, 200, "[Application]\r\nPROGRAM_VERSION=99.0.0.0\r\n");
    EXPECT_TRUE(update.CheckForUpdate());
    SetAnswer(kQueryPath, 404, "gone");
    EXPECT_FALSE(update.CheckForUpdate());
}

constexpr char kDescriptionPath[] = "/quorvelupdates/CompleteDatabase/getdatabase.asp";
constexpr char kDatabasePath[] = "/db/completedatabase.zip";

class DatabaseUpdateTest : public UpdateServerTest {
protected:
    // The digest of `bytes` as the server names it (any case).
    static std::string DigestOf(const std::string& bytes) {
        TempFolder folder;
        WriteBytes(folder / L"x", bytes);
        CGlobalUpdate update;
        return Narrow(update.HashFileReport((folder / L"x").c_str()).MakeLower());
    }
    void Describe(const std::string& digest, bool withUrl = true) {
        std::string ini = "[QuorvelUpdates]\r\n";
        if (!digest.empty())
            ini += "SHA= " + digest + " \r\n";
        if (withUrl)
            ini += "DOWNLOADURL=" + server_.Url(kDatabasePath) + "\r\n";
        SetAnswer(kDescriptionPath, 200, ini);
    }
    std::string Installed() const {
        return ReadBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")));
    }
    bool NewFileLeft() const {
        CString path = GetProgramFolderFile(L"DBUpdates");
        AppendPath(path, L"Completedatabase.zip");
        return PathExists(path) == 1;
    }

    const std::string old_ = PatternBytes(20000, 31);
    const std::string new_ = PatternBytes(24000, 32);
};

TEST_F(DatabaseUpdateTest, ACurrentDatabaseIsLeftAsItIs) {
    WriteBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")), old_);
    Describe(DigestOf(old_));
    SetAnswer(kDatabasePath, 200, new_);
    CGlobalUpdate update;
    EXPECT_TRUE(update.UpdateDefinitionDatabase());
    EXPECT_EQ(0, GetsOf(kDatabasePath));
    EXPECT_TRUE(SameBytes(old_, Installed()));
}

TEST_F(DatabaseUpdateTest, AMatchingNewDatabaseReplacesTheOldOne) {
    WriteBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")), old_);
    std::string digest = DigestOf(new_);
    for (char& c : digest)
        c = static_cast<char>(toupper(c)); // any case
    Describe(digest);
    SetAnswer(kDatabasePath, 200, new_);
    CGlobalUpdate update;
    EXPECT_TRUE(update.UpdateDefinitionDatabase());
    EXPECT_EQ(1, GetsOf(kDatabasePath));
    EXPECT_TRUE(SameBytes(new_, Installed()));
    EXPECT_FALSE(NewFileLeft());
    // The description is not fetched again after the check.
    EXPECT_EQ(1, GetsOf(kDescriptionPath));
}

TEST_F(DatabaseUpdateTest, AMismatchingDownloadKeepsTheOldDatabase) {
    WriteBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")), old_);
    Describe(DigestOf(PatternBytes(24000, 33)));
    SetAnswer(kDatabasePath, 200, new_);
    CGlobalUpdate update;
    EXPECT_FALSE(update.UpdateDefinitionDatabase());
    EXPECT_EQ(1, GetsOf(kDatabasePath));
    EXPECT_TRUE(SameBytes(old_, Installed()));
    EXPECT_FALSE(NewFileLeft());
}

TEST_F(DatabaseUpdateTest, AMissingDigestKeepsTheOldDatabaseAndDownloadsNothing) {
    WriteBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")), old_);
    Describe("");
    SetAnswer(kDatabasePath, 200, new_);
    CGlobalUpdate update;
    EXPECT_FALSE(update.UpdateDefinitionDatabase());
    EXPECT_EQ(0, GetsOf(kDatabasePath));
    EXPECT_TRUE(SameBytes(old_, Installed()));
}

TEST_F(DatabaseUpdateTest, AFailedDownloadOrNoAddressKeepsTheOldDatabase) {
    WriteBytes(Path(GetProgramFolderFile(L"Completedatabase.zip")), old_);
    Describe(DigestOf(new_));
    SetAnswer(kDatabasePath, 404, "missing");
    CGlobalUpdate update;
    EXPECT_FALSE(update.UpdateDefinitionDatabase());
    EXPECT_TRUE(SameBytes(old_, Installed()));
    EXPECT_FALSE(NewFileLeft());

    Describe(DigestOf(new_), false);
    EXPECT_FALSE(update.UpdateDefinitionDatabase());
    EXPECT_EQ(1, GetsOf(kDatabasePath)); // only the first attempt
    EXPECT_TRUE(SameBytes(old_, Installed()));

    SetAnswer(kDescriptionPath, 404, "");
    CString url, digest;
    EXPECT_FALSE(update.CheckDatabaseCurrent(url, digest));
    EXPECT_FALSE(update.UpdateDefinitionDatabase());
    EXPECT_TRUE(SameBytes(old_, Installed()));
}

TEST_F(DatabaseUpdateTest, AFirstDatabaseIsInstalledWhenItMatches) {
    Describe(DigestOf(new_));
    SetAnswer(kDatabasePath, 200, new_);
    CGlobalUpdate update;
    CString url, digest;
    EXPECT_FALSE(update.CheckDatabaseCurrent(url, digest));
    EXPECT_EQ(Wide(server_.Url(kDatabasePath)), url);
    EXPECT_EQ(Wide(DigestOf(new_)), digest);
    EXPECT_TRUE(update.UpdateDefinitionDatabase());
    EXPECT_TRUE(SameBytes(new_, Installed()));
}

TEST(DatabaseDigest, FilesAreHashedAndComparedInAnyCase) {
    TempFolder folder;
    const std::wstring file = folder / L"abc.bin";
    WriteBytes(file, "abc");
    CGlobalUpdate update;
    EXPECT_EQ(CString(L"A9993E364706816ABA3E25717850C26C9CD0D89D"),
              update.HashFileReport(file.c_str()));
    EXPECT_TRUE(update.VerifyFileSha(file.c_str(), L"a9993e364706816aba3e25717850c26c9cd0d89d"));
    EXPECT_FALSE(update.VerifyFileSha(file.c_str(), L"a9993e364706816aba3e25717850c26c9cd0d89e"));
    EXPECT_FALSE(update.VerifyFileSha(file.c_str(), L""));
    EXPECT_TRUE(update.HashFileReport((folder / L"none").c_str()).IsEmpty());
    EXPECT_FALSE(update.VerifyFileSha((folder / L"none").c_str(), L""));
}

// The library's own exports, by ordinal: they run on the objects the library made at load.
template <typename Function> Function LibraryExport(WORD ordinal) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"xarnhelper.dll"), MAKEINTRESOURCEA(ordinal))));
}

TEST_F(DatabaseUpdateTest, TheLibrarysExportedServicesWork) {
    const auto checkForProgramUpdate = LibraryExport<bool (*)()>(4300);
    const auto isInternetAvailable = LibraryExport<bool (*)()>(4301);
    const auto queryMachineId = LibraryExport<CString (*)()>(4302);
    const auto showDatabaseUpdate = LibraryExport<bool (*)()>(4303);
    ASSERT_TRUE(checkForProgramUpdate && isInternetAvailable && queryMachineId &&
                showDatabaseUpdate);
    EXPECT_TRUE(isInternetAvailable()); // Wine reports a connection
    EXPECT_EQ(CString(L"00AA11BB22CC"), queryMachineId());
    SetAnswer(kQueryPath, 200, "[Application]\r\nPROGRAM_VERSION=99.1\r\n");
    EXPECT_TRUE(checkForProgramUpdate());
    EXPECT_EQ(1, GetsOf(kQueryPath));
    Describe(DigestOf(new_));
    SetAnswer(kDatabasePath, 200, new_);
    EXPECT_TRUE(showDatabaseUpdate());
    EXPECT_TRUE(SameBytes(new_, Installed()));
}

} // namespace
