#include "FeedbackReport.h"

#include <classlib/Exceptions.h>

#include "DecimalText.h"
#include "GlobalUpdate.h"
#include "XmlDoc.h"

namespace {

WORD ProcessorArchitecture() {
    SYSTEM_INFO info{};
    using NativeInfo = void(WINAPI*)(SYSTEM_INFO*);
    const auto native = reinterpret_cast<NativeInfo>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

void AppendDriveInfo(CXmlDoc& doc, wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
        return;
    wchar_t volumeName[MAX_PATH + 1];
    wchar_t fileSystem[MAX_PATH + 1];
    if (!GetVolumeInformationW(root, volumeName, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               fileSystem, MAX_PATH + 1))
        return;
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExW(root, nullptr, &total, &free))
        total.QuadPart = free.QuadPart = 0;
    doc.AddChildElem(L"drive_info");
    doc.EnterElem();
    doc.AddChildElem(L"drive_name", root);
    doc.AddChildElem(L"total_size_in_bytes", DecimalText(total.QuadPart));
    doc.AddChildElem(L"free_space_in_bytes", DecimalText(free.QuadPart));
    doc.AddChildElem(L"used_space_in_bytes", DecimalText(total.QuadPart - free.QuadPart));
    doc.LeaveElem();
}

} // namespace

CString GetFeedbackTypeText(int index) {
    static const wchar_t* const kTypes[kFeedbackTypeCount] = {
        L"Select Feedback Type", L"It successfully optimized the system",
        L"It does not optimized the system", L"Unable to understand the problem",
        L"General Feedback"};
    if (index < 0 || index >= kFeedbackTypeCount)
        return CString();
    return CString(kTypes[index]);
}

void AppendSystemInfo(CXmlDoc& doc, DWORD driveMask) {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return;
    doc.AddChildElem(L"sys_info");
    doc.EnterElem();
    doc.AddChildElem(L"os_major_version", DecimalText(version.dwMajorVersion));
    doc.AddChildElem(L"os_minor_version", DecimalText(version.dwMinorVersion));
    doc.AddChildElem(L"os_product_type", DecimalText(version.wProductType));
    doc.AddChildElem(L"os_architecture_type", DecimalText(ProcessorArchitecture()));
    doc.AddChildElem(L"service_pack_major_version", DecimalText(version.wServicePackMajor));
    doc.AddChildElem(L"service_pack_minor_version", DecimalText(version.wServicePackMinor));

    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!GlobalMemoryStatusEx(&memory))
        memory = MEMORYSTATUSEX{};
    doc.AddChildElem(L"memory_info");
    doc.EnterElem();
    doc.AddChildElem(L"total_phy", DecimalText(memory.ullTotalPhys));
    doc.AddChildElem(L"avail_phy", DecimalText(memory.ullAvailPhys));
    doc.AddChildElem(L"total_page_file", DecimalText(memory.ullTotalPageFile));
    doc.AddChildElem(L"avail_page_file", DecimalText(memory.ullAvailPageFile));
    doc.LeaveElem();

    wchar_t systemFolder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH + 1);
    doc.AddChildElem(L"system_driver",
                     CString(systemFolder, length >= 2 && length <= MAX_PATH ? 2 : 0));

    for (int drive = 0; drive < 26; ++drive)
        if (driveMask & (1u << drive))
            AppendDriveInfo(doc, static_cast<wchar_t>(L'A' + drive));
    doc.LeaveElem();
}

int BuildFeedbackXml(const FeedbackForm& form, CString& xml, DWORD driveMask) {
    try {
        xml.Empty();
        const int at = form.email.Find(L'@');
        if (at < 1 || at == form.email.GetLength() - 1)
            return kFeedbackBadEmail;
        if (form.typeIndex < 1 || form.typeIndex >= kFeedbackTypeCount)
            return kFeedbackNoType;
        CString text = form.text;
        text.Trim();
        if (text.IsEmpty())
            return kFeedbackEmptyText;

        CXmlDoc doc;
        doc.AddElem(L"sf_feedback");
        doc.AddChildElem(L"feedback");
        doc.EnterElem();
        doc.AddChildElem(L"email", form.email);
        doc.AddChildElem(L"feedback_type", GetFeedbackTypeText(form.typeIndex));
        doc.AddChildElem(L"content", text);
        doc.LeaveElem();
        doc.AddChildElem(L"SetPublishState");
        doc.EnterElem();
        doc.AddChildElem(L"allowed", form.publish ? L"1" : L"0");
        doc.LeaveElem();
        doc.AddChildElem(L"favorite_tools");
        doc.EnterElem();
        for (int tool : form.toolIds)
            doc.AddChildElem(L"appid", DecimalText(static_cast<unsigned>(tool)));
        doc.LeaveElem();
        AppendSystemInfo(doc, driveMask);
        CGlobalUpdate update;
        CString machineId;
        doc.AddChildElem(L"key");
        doc.EnterElem();
        doc.AddChildElem(L"mac_id", update.GetMachineId(machineId));
        doc.LeaveElem();
        doc.AddChildElem(L"pelq_info");
        doc.EnterElem();
        doc.AddChildElem(L"pelq_ver", GetHelperLibraryVersion());
        doc.LeaveElem();
        xml = doc.GetDocument();
        return kFeedbackBuilt;
    } catch (CException* error) {
        error->Delete();
        xml.Empty();
        return kFeedbackEmptyText;
    }
}

int BuildFeedbackXml(const FeedbackForm& form, CString& xml) {
    return BuildFeedbackXml(form, xml, GetLogicalDrives());
}
