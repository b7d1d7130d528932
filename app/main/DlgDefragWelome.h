// CDlgDefragWelome: the defragmentation tab's home page: the fixed drives, the last run's
// summary, and the start of an analysis or a defragmentation.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include "CaptionPngButton.h"
#include <classlib/Array.h>
#include <classlib/Controls.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "DefragCommandSender.h"

#include <cstdint>
#include <functional>

inline constexpr UINT kDefragHomeTemplateId = 6038;
inline constexpr wchar_t kDefragHomeLangSection[] = L"IDD_SELECTDISK_DLG";

// What the home page asks of the service, the progress page and the system before a job
// starts; the main window gives the real ones, tests their own.
class DefragHomeServices {
public:
    virtual ~DefragHomeServices() = default;
    // The bytes available to the user and the volume's size; false when they cannot be read.
    [[nodiscard]] virtual bool QueryDriveSpace(wchar_t drive, ULONGLONG& freeBytes,
                                               ULONGLONG& totalBytes);
    // Opens the service and makes sure it runs; false when it cannot be opened or started. The
    // job's own commands release the last run's results.
    [[nodiscard]] virtual bool MakeServiceReady() = 0;
    // Starts the service, installing it first when needed.
    [[nodiscard]] virtual bool InstallService() = 0;
    virtual void RestartWindows() = 0;
    // Starts the job on the progress page; non-zero when it was sent.
    virtual int StartOperation(DefragOperation operation, wchar_t drive,
                               const CString& entryText) = 0;
    // The drive entries the page has just listed, for whoever keeps them.
    virtual void KeepDriveEntries(const CStringArray& entries);
};

class CDlgDefragWelome : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    // The services the page starts jobs through; the page does not own them.
    explicit CDlgDefragWelome(CWnd* parent = nullptr, DefragHomeServices* services = nullptr);
    ~CDlgDefragWelome() override;

    BOOL OnInitDialog() override;
    // Enter and Escape do not close the page.
    void OnOK() override;
    void OnCancel() override;

    // The services the page starts jobs through; the page does not own them.
    void SetServices(DefragHomeServices* services) { m_pServices = services; }

    // Fills the combo box with the fixed drives, hands them to the services, and selects the
    // system drive, else the drive selected before, else the first.
    void FillDriveList();
    // The selected entry's letter becomes the application's current drive.
    void UpdateCurrentDrive();
    // The selected entry's letter; 0 without a selection.
    wchar_t GetSelectedDriveLetter() const;
    // Selects the first entry whose letter equals `letters` exactly; else nothing changes.
    void SelectDrive(const CString& letters);
    // The start button: an analysis, or a defragmentation when the check box is ticked.
    void StartAnalysis();
    void StartDefragmentation();

    // The four summary values of the last run (0 date, 1 drive, 2 volume, 3 data result), in
    // the order the main window added them.
    const CStringArray& SummaryValues() const { return m_summaryValues; }
    void AddSummaryValue(const CString& text) { m_summaryValues.Add(text); }
    // Replaces one of the four summary values.
    void SetSummaryValue(int index, const CString& text);
    // The whole text of the selected entry, e.g. "(D:)Data".
    const CString& SelectedEntry() const { return m_strSelectedEntry; }

    CComboBox m_driveCombo;
    CStatic m_heading;
    CCaptionPngButton m_startButton;
    CButton m_defragAfterAnalysis;
    CStatic m_defragAfterLabel;

protected:
    // Both starts: free space, service, release commands, then the progress page.
    void StartJob(DefragOperation operation);
    [[nodiscard]] bool CheckFreeSpace(wchar_t drive);
    [[nodiscard]] bool PrepareService();
    void PostPageCommand(UINT command);
    void LayoutControls();

    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnToggleDefragAfterAnalysis();

private:
    // "IDS_LAST_HDD_SCAN", "IDS_DRIV_SCANNED", "IDS_VOL_FRAGMENTATION", "IDS_DATA_FRAGMENTATION".
    CStringArray m_summaryLabels;
    CStringArray m_summaryValues;
    CDWordArray m_summaryColours;
    CString m_strSelectedEntry;
    DefragHomeServices* m_pServices = nullptr;
};

// The entry text of a drive: "(D:)Data", or "(C:) System (<system drive text>)" for the
// drive of the Windows system folder.
CString MakeDriveEntryText(wchar_t letter, const CString& label, bool systemDrive,
                           const CString& systemDriveText);
