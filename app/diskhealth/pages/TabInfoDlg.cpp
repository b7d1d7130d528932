#include "TabInfoDlg.h"

#include "AtaFeatures.h"
#include "DiskPageTexts.h"
#include "DiskPagesResource.h"
#include "DriveCombo.h"

namespace {

constexpr wchar_t kSection[] = L"IDD_INFO_TAB";

// Each field: its label, its value, and where the pair sits (column, row).
struct InfoField {
    int labelId, valueId;
    const wchar_t *labelKey, *valueKey;
    int column, row;
};
constexpr InfoField kFields[] = {
    {IDC_STATIC_FIRMVERSION, IDC_FIRMWARE, L"IDC_STATIC_FIRMVERSION", L"IDC_FIRMWARE", 0, 0},
    {IDC_STATIC_SERIALNO, IDC_SERIAL, L"IDC_STATIC_SERIALNO", L"IDC_SERIAL", 0, 1},
    {IDC_STATIC_CAPACITY, IDC_CAPACITY, L"IDC_STATIC_CAPACITY", L"IDC_CAPACITY", 0, 2},
    {IDC_STATIC_BUFFER, IDC_BUFFER, L"IDC_STATIC_BUFFER", L"IDC_BUFFER", 0, 3},
    {IDC_STATIC_STANDARD, IDC_STANDART, L"IDC_STATIC_STANDARD", L"IDC_STANDART", 0, 4},
    {IDC_STATIC_BYTE_SEC, IDC_BYTESSECTOR, L"IDC_STATIC_BYTE_SEC", L"IDC_BYTESSECTOR", 1, 0},
    {IDC_STATIC_SEC_TRACK, IDC_SECTORS, L"IDC_STATIC_SEC_TRACK", L"IDC_SECTORS", 1, 1},
    {IDC_STATIC_TRACK_CYLINDER, IDC_TRACKS, L"IDC_STATIC_TRACK_CYLINDER", L"IDC_TRACKS", 1, 2},
    {IDC_STATIC_CYLINDER, IDC_CYLINDERS, L"IDC_STATIC_CYLINDER", L"IDC_CYLINDERS", 1, 3},
    {IDC_STATIC_MAX_LBA, IDC_MAXLBA, L"IDC_STATIC_MAX_LBA", L"IDC_MAXLBA", 1, 4},
};

constexpr int kFieldTop = 188;
constexpr int kFieldRowHeight = 18;

CString Number(const wchar_t* format, uint64_t value) {
    CString text;
    text.Format(format, value);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CTabInfoDlg, CDiskToolsPage)
ON_WM_SHOWWINDOW()
ON_CBN_SELCHANGE(IDC_COMBO_PHYSICAL_DISK, &CTabInfoDlg::OnDriveComboChange)
ON_MESSAGE(kDriveSelectionChanged, &CTabInfoDlg::OnDriveSelectionChanged)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_FEATURES, &CTabInfoDlg::OnFeatureItemChanged)
END_MESSAGE_MAP()

CTabInfoDlg::CTabInfoDlg(CWnd* parent) : CDiskToolsPage(IDD_INFO_TAB, parent) {}

BOOL CTabInfoDlg::OnInitDialog() {
    CDiskToolsPage::OnInitDialog();
    SetDlgItemText(IDC_STATIC_PROPERTIES, AppText(L"IDC_STATIC_PROPERTIES", kSection));
    for (const InfoField& field : kFields) {
        SetDlgItemText(field.labelId, AppText(field.labelKey, kSection));
        SetDlgItemText(field.valueId, AppText(field.valueKey, kSection));
    }
    SetWindowText(AppText(L"TOOLTAB1DESC", kDiskToolsSection));
    SetUpDriveCombo(kSection);
    SetUpReportList(m_volumeList, IDC_LIST_VOLUMES,
                    {{L"IDS_ID_DI", 30, LVCFMT_LEFT},
                     {L"IDS_VOLUME_DI", 140, LVCFMT_LEFT},
                     {L"IDS_LABEL_DI", 80, LVCFMT_LEFT},
                     {L"IDS_TYPE_DD", 70, LVCFMT_LEFT},
                     {L"IDS_CAPACITY_DI", 70, LVCFMT_RIGHT},
                     {L"IDS_USAGE_DI", 60, LVCFMT_RIGHT},
                     {L"IDS_BOOT_DI", 40, LVCFMT_CENTER}});
    SetUpReportList(m_featureList, IDC_LIST_FEATURES,
                    {{L"IDS_FEATURE_DI", 220, LVCFMT_LEFT},
                     {L"IDS_SUPPORTED_DI", 120, LVCFMT_LEFT},
                     {L"IDS_ENABLED_DI", 60, LVCFMT_LEFT}});
    LayOutPage();
    FillDriveInfo();
    return TRUE;
}

void CTabInfoDlg::Layout(int cx, int) {
    if (!m_featureList.GetSafeHwnd())
        return;
    const int width = cx - 44;
    PlaceControl(IDC_LIST_VOLUMES, 22, 72, width, 92);
    PlaceControl(IDC_STATIC_PROPERTIES, 22, 168, width, 18);
    for (const InfoField& field : kFields) {
        const int x = 22 + field.column * (width / 2);
        const int y = kFieldTop + field.row * kFieldRowHeight;
        PlaceControl(field.labelId, x, y, 125, kFieldRowHeight);
        PlaceControl(field.valueId, x + 128, y, width / 2 - 132, kFieldRowHeight);
    }
    const int featureTop = kFieldTop + 5 * kFieldRowHeight + 8;
    PlaceControl(IDC_LIST_FEATURES, 22, featureTop, width, 455 - featureTop);
}

void CTabInfoDlg::OnShowWindow(BOOL show, UINT) {
    if (show)
        FillDriveInfo();
}

LRESULT CTabInfoDlg::OnDriveSelectionChanged(WPARAM, LPARAM) {
    FillDriveInfo();
    return 0;
}

void CTabInfoDlg::FillDriveInfo() {
    m_volumeList.DeleteAllItems();
    m_featureList.DeleteAllItems();
    const PhysicalDriveInfo* drive = SelectedDrive();
    FillFields(drive);
    if (!drive)
        return;
    const int selected = GetDiskToolsState().tables->selectedDrive;
    for (const VolumeEntry& volume : GetDiskToolsState().tables->volumes) {
        if (volume.index == -1)
            continue;
        bool onDrive = false;
        for (int32_t disk : volume.diskNumbers)
            onDrive = onDrive || disk == selected;
        if (!onDrive)
            continue;
        AppendListRow(m_volumeList, {Number(L"%I64u", volume.partitionNumber), volume.path,
                                     volume.label, volume.fileSystem, volume.sizeText,
                                     volume.usedText, YesNoText(volume.bootIndicator != 0)});
    }
    if (drive->smartCapable)
        FillFeatures(*drive);
}

void CTabInfoDlg::FillFields(const PhysicalDriveInfo* drive) {
    if (!drive) {
        for (const InfoField& field : kFields)
            SetDlgItemText(field.valueId, L"");
        return;
    }
    // Without IDENTIFY data the identity strings are empty.
    auto identity = [](const wchar_t* text) { return *text ? text : L"N/A"; };
    SetDlgItemText(IDC_FIRMWARE, identity(drive->firmwareRevision));
    SetDlgItemText(IDC_SERIAL, identity(drive->serialNumber));
    SetDlgItemText(IDC_CAPACITY, drive->capacityText);
    SetDlgItemText(IDC_BUFFER, drive->bufferSizeText);
    SetDlgItemText(IDC_STANDART, drive->ataStandardText);
    SetDlgItemText(IDC_CYLINDERS, Number(L"%I64d", drive->cylinders));
    SetDlgItemText(IDC_TRACKS, Number(L"%I64d", drive->tracksPerCylinder));
    SetDlgItemText(IDC_SECTORS, Number(L"%I64d", drive->sectorsPerTrack));
    SetDlgItemText(IDC_BYTESSECTOR, Number(L"%I64d", drive->bytesPerSector));
    SetDlgItemText(IDC_MAXLBA,
                   drive->lbaSectorCount ? Number(L"%I64d", drive->lbaSectorCount) : L"N/A");
}

void CTabInfoDlg::FillFeatures(const PhysicalDriveInfo& drive) {
    AppendListRow(m_featureList,
                  {L"Ultra DMA Modes", drive.ultraDmaModesSupported, drive.ultraDmaModeActive});
    AppendListRow(m_featureList, {L"Multi Word DMA Modes", drive.multiwordDmaModesSupported,
                                  drive.multiwordDmaModeActive});
    AppendListRow(m_featureList, {L"PIO Modes", drive.pioModesSupported, drive.pioModeActive});
    for (int row = 0; row < kAtaFeatureRows; ++row) {
        const int enabled = FeatureEnabledState(drive, row);
        AppendListRow(m_featureList,
                      {kAtaFeatureRowTable[row].name, YesNoText(IsFeatureSupported(drive, row)),
                       enabled < 0 ? CString(L"-") : YesNoText(enabled == 1)});
    }
}
