#include "GlobalUpdate.h"

#include <iphlpapi.h>
#include <lm.h>
#include <rpc.h>

#include <vector>

#include <classlib/Exceptions.h>
#include <owners/WinOwners.h>

#include "DownloadQueue.h"
#include "UpdateIniReader.h"
#include "UpdateServer.h"
#include "VersionText.h"
#include "WinInet.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"

IMPLEMENT_DYNAMIC(CGlobalUpdate, CObject)

namespace {

constexpr wchar_t kMachineIdValue[] = L"MachineId";
constexpr DWORD kAdapterBufferBytes = 10368;

CString FormatNodeAddress(const BYTE* address) {
    CString text;
    text.Format(L"%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2], address[3],
                address[4], address[5]);
    return text;
}

CString AddressFromUuid() {
    UUID uuid{};
    const RPC_STATUS status = UuidCreateSequential(&uuid);
    if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY)
        return CString();
    return FormatNodeAddress(&uuid.Data4[2]);
}

CString AddressFromTransports() {
    NetApiBuffer<BYTE*> buffer;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status = NetWkstaTransportEnum(
        nullptr, 0, buffer.Put(), MAX_PREFERRED_LENGTH, &read, &total, nullptr);
    if (status != NERR_Success || !buffer)
        return CString();
    const auto* transports = reinterpret_cast<const WKSTA_TRANSPORT_INFO_0*>(buffer.Get());
    for (DWORD index = 1; index < read; ++index) {
        const wchar_t* address = transports[index].wkti0_transport_address;
        unsigned short parts[6] = {};
        if (!address || swscanf_s(address, L"%2hx%2hx%2hx%2hx%2hx%2hx", &parts[0], &parts[1],
                                  &parts[2], &parts[3], &parts[4], &parts[5]) != 6)
            continue;
        BYTE bytes[6];
        for (int at = 0; at < 6; ++at)
            bytes[at] = static_cast<BYTE>(parts[at]);
        return FormatNodeAddress(bytes);
    }
    return CString();
}

CString AddressFromAdapters() {
    std::vector<BYTE> buffer(kAdapterBufferBytes);
    ULONG size = kAdapterBufferBytes;
    if (GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size) != ERROR_SUCCESS)
        return CString();
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); adapter;
         adapter = adapter->Next)
        if (adapter->AddressLength == 6)
            return FormatNodeAddress(adapter->Address);
    return CString();
}

} // namespace

CString GetProgramFolderFile(LPCWSTR name) {
    CString path;
    GetModuleFolder(nullptr, path);
    AppendPath(path, name);
    return path;
}

CString GetHelperLibraryVersion() {
    return GetFileVersionText(GetProgramFolderFile(L"xarnhelper.dll"));
}

CString CGlobalUpdate::GetMacAddress() {
    for (CString (*source)() : {&AddressFromUuid, &AddressFromTransports, &AddressFromAdapters}) {
        const CString address = source();
        if (!address.IsEmpty())
            return address;
    }
    return CString(L"0");
}

CString CGlobalUpdate::GetMachineId(CString& id) {
    id.Empty();
    CRegistry store(HKEY_LOCAL_MACHINE);
    const bool open = store.Open(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), true);
    if (!open || !store.ReadString(kMachineIdValue, id) || id.IsEmpty()) {
        id = GetMacAddress();
        // Without a store, or one that cannot be written, the identity is computed again next
        // time; it stays the same.
        if (open)
            static_cast<void>(store.WriteString(kMachineIdValue, id));
    }
    return id;
}

bool CGlobalUpdate::IsInternetConnected() {
    return ::IsInternetConnected();
}

int CGlobalUpdate::BuildUpdateQuery(CString& query) {
    CString machineId;
    GetMachineId(machineId);
    query = MakeUpdateServerUrl(L"pelqupdates/update.aspx");
    query += L"?productname=pelq&currentapplicationid=" + GetHelperLibraryVersion() +
             L"&currentdbversionid=1&machineid=" + machineId;
    return query.GetLength();
}

bool CGlobalUpdate::CheckForUpdate() {
    if (!::IsInternetConnected())
        return false;
    CString query;
    BuildUpdateQuery(query);
    CString answer;
    if (!GetUserDataFolder(answer))
        return false;
    AppendPath(answer, L"LatestVersion.ini");
    DeleteFileW(answer);
    try {
        ClearDownloadFiles();
        if (!AddDownloadFile(query, answer))
            return false;
        SetDownloadOption(L"hidden", L"1");
        if (!RunDownloadDialog(nullptr))
            return false;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
    {
        const KernelHandle file(CreateFileW(answer, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0)
            return false;
    }
    CUpdateIniReader reader;
    reader.SetFileName(answer);
    const CString offered = reader.GetKeyValue(L"PROGRAM_VERSION", L"Application");
    if (offered.IsEmpty())
        return false;
    return IsNewerVersion(offered, GetHelperLibraryVersion());
}
