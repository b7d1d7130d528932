// CDiskDefragApp: the main program's application object: the start-up modes, the service
// binding, the drive list and the objects the tools share for the program's lifetime.
#pragma once

#include <windows.h>

#include <classlib/MessageMap.h>
#include <classlib/String.h>
#include <VantorixApp.h>

#include "Drive.h"
#include "PhysicalDiskTable.h"

#include <cstdint>
#include <memory>

class CDupeFinder;
class CDiskDefragDlg;
class DefragRpcClientBinding;
struct AppLayout;

// The tools' language sections beside the program's own "DiskDefrag".
inline constexpr wchar_t kDefragLangSection[] = L"DiskDefrag";
inline constexpr wchar_t kJunkLangSection[] = L"SYSCLEAN";
inline constexpr wchar_t kDupesLangSection[] = L"DuplicateFiles";
inline constexpr wchar_t kDiskToolsLangSection[] = L"DISKDOC";
inline constexpr wchar_t kSchedulerLangSection[] = L"NEWSCHEDULER";

// The registry value (application key, HKEY_CURRENT_USER) that holds the drive letters of a
// scheduled optimisation.
inline constexpr wchar_t kScheduleDriveLetterValue[] = L"ScheduleDriveLetter";
// The common data folder's sub-folder and the reports' folder below it.
inline constexpr wchar_t kCommonDataSubFolder[] = L"Stellmark";
inline constexpr wchar_t kDefragReportFolder[] = L"DefragReport";
// Icon resource of the program.
inline constexpr UINT kAppIconId = 148;
// The program's own entry of the library's tools table.
inline constexpr int kDefragToolNumber = 7;

class CDiskDefragApp : public CVantorixApp {
    DECLARE_MESSAGE_MAP()
public:
    CDiskDefragApp();
    ~CDiskDefragApp() override;
    CDiskDefragApp(const CDiskDefragApp&) = delete;
    CDiskDefragApp& operator=(const CDiskDefragApp&) = delete;

    // Runs the main window modally; always FALSE (the program ends when the window closes).
    BOOL InitInstance() override;
    // Ends the service program unless the run was scheduled or another instance runs.
    int ExitInstance() override;

    // The main window's layout: icon, tab captions and side-button texts of the five tabs.
    void BuildAppLayout(AppLayout& layout);
    // The fixed drives, built once at start.
    void BuildDriveList();
    // The physical-disk and volume tables, read through the configured disk layer.
    void InitPhysicalDiskTables();
    // True once the service interface's binding handle exists.
    bool IsServiceBound() const;
    CDupeFinder* DupeFinder() const { return m_dupeFinder.get(); }

    // Three state flags of the junk cleaner.
    bool m_junkState[3] = {false, false, false};
    CString m_strDataFolder;
    // The product folder under the common application data folder ("Stellmark").
    CString m_strCommonDataFolder;
    // The letter of the drive selected on the home page, as a one-character text.
    CString m_strCurrentDrive;
    // Upper-case letters of a scheduled optimisation, e.g. "CD".
    CString m_strScheduleDriveLetters;
    // The drive of the current or last job; 0 before the first.
    wchar_t m_chCurrentDrive = 0;
    // The modal main window while it runs.
    CDiskDefragDlg* m_pMainDlg = nullptr;

    // Started with "runhiddenScan": the window stays hidden and an analysis starts by itself.
    bool m_bHiddenStart = false;
    // Another program asked for an automatic defragmentation: no results pages.
    bool m_bAutomaticMode = false;
    // Scheduled with drive letters: optimise them; cleared when that defragmentation ends.
    bool m_bScheduledWithDrives = false;
    // Scheduled without drive letters: run the junk cleaning.
    bool m_bScheduledWithoutDrives = false;
    // The low half of the last fragmented-file count, for the results pages.
    uint32_t m_nFragmentedFiles = 0;

    // The other tools' language sections.
    CString m_strJunkSection{kJunkLangSection};
    CString m_strDupesSection{kDupesLangSection};
    CString m_strDiskToolsSection{kDiskToolsLangSection};
    CString m_strSchedulerSection{kSchedulerLangSection};
    // Working texts of the scheduler pages.
    CString m_strSchedulerTexts[5];

    DriveList m_drives;
    PhysicalDiskTables m_physicalDisks;

private:
    void StoreScheduleDriveLetters();
    void DecideRunModes(bool hiddenScan);
    void BindServiceInterface();
    void RunMainWindow();
    // Ends every process of this Windows' service program.
    void EndServiceProgram();

    std::unique_ptr<DefragRpcClientBinding> m_serviceBinding;
    std::unique_ptr<CDupeFinder> m_dupeFinder;
};

extern CDiskDefragApp theApp;
