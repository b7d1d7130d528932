#include "DlgScheduleChild.h"

#include "PageTexts.h"
#include "ResultsPageDrawing.h"
#include "ResultsPagesResource.h"

#include <BitmapDrawing.h>
#include <SelectedFont.h>
#include <PopupServices.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>
#include <Paths.h>
#include <UiFonts.h>

#include <cwctype>

#include <commctrl.h>

#include <iterator>

BEGIN_MESSAGE_MAP(CDlgScheduleChild, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_TABBTN_OPTIMIZE, &CDlgScheduleChild::OnTabOptimize)
ON_BN_CLICKED(IDC_TABBTN_CLEAN, &CDlgScheduleChild::OnTabClean)
ON_BN_CLICKED(IDC_BTN_APPLY, &CDlgScheduleChild::OnBnClickedApply)
ON_CONTROL_RANGE(BN_CLICKED, IDC_RD_RUNONCE, IDC_RD_DONTSCHEDULE, &CDlgScheduleChild::OnModeRadio)
ON_CONTROL_RANGE(BN_CLICKED, IDC_CHK_SUNDAY, IDC_CHK_SATURDAY, &CDlgScheduleChild::OnWeekDayBox)
ON_CBN_SELCHANGE(IDC_CMB_SCHEDULE_DRIVE, &CDlgScheduleChild::OnChanged)
ON_NOTIFY(DTN_DATETIMECHANGE, IDC_DTP_DATE, &CDlgScheduleChild::OnDateTimeChanged)
ON_NOTIFY(DTN_DATETIMECHANGE, IDC_DTP_TIME, &CDlgScheduleChild::OnDateTimeChanged)
ON_BN_CLICKED(IDC_CHK_FIXERR_AUTO, &CDlgScheduleChild::OnFixBox)
ON_BN_CLICKED(IDC_CHK_SYSREBOOT_AFTER_FIX, &CDlgScheduleChild::OnShutdownBox)
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kHeadingColour = RGB(0x48, 0x51, 0x5A);
constexpr COLORREF kLabelColour = RGB(0x1B, 0x5D, 0xA9);
constexpr COLORREF kSeparatorColour = RGB(0xED, 0xED, 0xED);
constexpr COLORREF kPanelBorder = RGB(0xB4, 0xB4, 0xB4);
constexpr UINT kBottomStrip = 1019;
// The task buttons wear the application window's middle tab (four frames, the pushed one the
// current tab) and its caption colour.
constexpr UINT kTaskButtonStrip = 1463;
constexpr COLORREF kTaskCaptionColour = 0x3F3B36;

constexpr int kWeekDayBoxes[] = {IDC_CHK_SUNDAY,    IDC_CHK_MONDAY,   IDC_CHK_TUESDAY,
                                 IDC_CHK_WEDNESDAY, IDC_CHK_THURSDAY, IDC_CHK_FRIDAY,
                                 IDC_CHK_SATURDAY};
constexpr const wchar_t* kWeekDayKeys[] = {L"IDS_SUNDAY",    L"IDS_MONDAY",   L"IDS_TUESDAY",
                                           L"IDS_WEDNESDAY", L"IDS_THURSDAY", L"IDS_FRIDAY",
                                           L"IDS_SATURDAY"};

struct ModeRadio {
    int id;
    ScheduleMode mode;
};
constexpr ModeRadio kModeRadios[] = {{IDC_RD_RUNONCE, ScheduleMode::kOnce},
                                     {IDC_RD_EVERYDAY, ScheduleMode::kDaily},
                                     {IDC_RD_EVERYWEEK, ScheduleMode::kWeekly},
                                     {IDC_RD_DONTSCHEDULE, ScheduleMode::kNotScheduled}};

// Keys beginning with "IDC_" are the template's; all others the program's.
CString ControlText(const wchar_t* key) {
    return wcsncmp(key, L"IDC_", 4) == 0 ? AppText(key, kScheduleChildLangSection) : AppText(key);
}

void DrawSeparator(CDC& dc, int y) {
    CPen pen(PS_SOLID, 1, kSeparatorColour);
    CPen* previous = dc.SelectObject(&pen);
    dc.MoveTo(35, y);
    dc.LineTo(540, y);
    dc.SelectObject(previous);
}
} // namespace

CDlgScheduleChild::CDlgScheduleChild(CWnd* parent, SchedulePageServices& services)
    : CDlgBaseWnd(kScheduleChildTemplateId, parent), m_services(services) {
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CDlgScheduleChild::~CDlgScheduleChild() = default;

BOOL CDlgScheduleChild::OnInitDialog() {
    const BOOL result = CDlgBaseWnd::OnInitDialog();
    const struct {
        int id;
        const wchar_t* key;
    } captions[] = {
        {IDC_TABBTN_OPTIMIZE, L"TABBTN1"},
        {IDC_TABBTN_CLEAN, L"TABBTN2"},
        {IDC_RD_RUNONCE, L"IDS_RUNONCE"},
        {IDC_RD_EVERYDAY, L"IDS_EVERYDAY"},
        {IDC_RD_EVERYWEEK, L"IDS_EVERYWEEK"},
        {IDC_RD_DONTSCHEDULE, L"IDS_DONTSCHEDULE"},
        {IDC_ST_SELECTDRIVE, L"IDC_ST_SELECTDRIVE"},
        {IDC_CHK_FIXERR_AUTO, L"IDS_FIXERR_AUTO"},
        {IDC_CHK_SYSREBOOT_AFTER_FIX, L"IDS_SYSREBOOT_AUTO_AFTFIXERR"},
        {IDC_ST_SCHEDULE_SCAN, L"IDS_SCHEDULE_SCAN"},
        {IDC_ST_SCHEDULE_DESC, L"IDS_SCHEDULE_DESC"},
        {IDC_ST_DATETIME, L"IDS_DATETIME"},
        {IDC_ST_WEEKDAYS, L"IDS_WEEKDAYS"},
        {IDC_ST_SHINFO, L"IDS_SHINFO"},
        {IDC_ST_SCHEDULEVAL, L"IDC_ST_SCHEDULEVAL"},
    };
    for (const auto& caption : captions)
        SetDlgItemText(caption.id, ControlText(caption.key));
    for (size_t day = 0; day < std::size(kWeekDayBoxes); ++day)
        SetDlgItemText(kWeekDayBoxes[day], ControlText(kWeekDayKeys[day]));
    for (CTabButton* task : {&m_btnOptimizeTask, &m_btnCleanTask}) {
        task->SubclassDlgItem(task == &m_btnOptimizeTask ? IDC_TABBTN_OPTIMIZE : IDC_TABBTN_CLEAN,
                              this);
        task->LoadBitmap(kTaskButtonStrip);
        task->m_clrText = kTaskCaptionColour;
        task->m_clrHover = kTaskCaptionColour;
        task->m_bBoldOnHover = false;
    }
    m_btnApply.SubclassDlgItem(IDC_BTN_APPLY, this);
    StyleResultButton(*this, m_btnApply, true, AppText(L"IDS_APPLY"));
    m_services.StartTaskSchedulerService();
    for (int id : {IDC_ST_DATETIME, IDC_ST_WEEKDAYS, IDC_ST_SELECTDRIVE})
        if (CWnd* label = GetDlgItem(id))
            label->SetFont(&g_fontUIBold, TRUE);
    SendDlgItemMessage(IDC_DTP_TIME, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH':'mm"));
    PlaceControls();
    EnableItem(IDC_CHK_SYSREBOOT_AFTER_FIX, false);
    OnTabOptimize();
    return result;
}

void CDlgScheduleChild::PlaceControls() {
    MoveItem(IDC_TABBTN_OPTIMIZE, 55, 75, 83, 20);
    MoveItem(IDC_TABBTN_CLEAN, 175, 75, 83, 20);
    // The places are fixed; the widths take the room up to the next control, so that no
    // caption is cut in the UI font.
    MoveItem(IDC_RD_EVERYDAY, 55, 135, 115, 20);
    MoveItem(IDC_RD_RUNONCE, 175, 135, 115, 20);
    MoveItem(IDC_RD_EVERYWEEK, 295, 135, 115, 20);
    MoveItem(IDC_RD_DONTSCHEDULE, 415, 135, 140, 20);
    MoveItem(IDC_ST_SCHEDULE_SCAN, 25, 15, 250, 20);
    MoveItem(IDC_ST_SCHEDULE_DESC, 25, 38, 450, 35);
    MoveItem(IDC_ST_DATETIME, 34, 165, 220, 20);
    MoveItem(IDC_DTP_DATE, 55, 205, 200, 20);
    MoveItem(IDC_DTP_TIME, 55, 240, 200, 20);
    MoveItem(IDC_ST_WEEKDAYS, 325, 165, 220, 20);
    for (int day = 0; day < 4; ++day)
        MoveItem(kWeekDayBoxes[day], 325, 200 + 25 * day, 110, 20);
    for (int day = 4; day < 7; ++day)
        MoveItem(kWeekDayBoxes[day], 440, 200 + 25 * (day - 4), 110, 20);
    // Beside the week days' right column, clear of the left one.
    MoveItem(IDC_ST_SELECTDRIVE, 34, 290, 60, 20);
    MoveItem(IDC_CMB_SCHEDULE_DRIVE, 95, 287, 215, 200);
    MoveItem(IDC_CHK_FIXERR_AUTO, 20, 355, 217, 17);
    MoveItem(IDC_CHK_SYSREBOOT_AFTER_FIX, 240, 355, 350, 17);
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
}

void CDlgScheduleChild::OnSize(UINT type, int, int) {
    CDlgBaseWnd::OnSize(type, 0, 0);
    // The base posts a size of its template's that may arrive after the page was resized.
    CRect client;
    GetClientRect(&client);
    const int cx = client.Width();
    const int cy = client.Height();
    PlaceResultButton(m_btnApply, cx, cy, 141);
}

void CDlgScheduleChild::OnTabOptimize() {
    SwitchTask(true);
}

void CDlgScheduleChild::OnTabClean() {
    SwitchTask(false);
}

void CDlgScheduleChild::SwitchTask(bool optimise) {
    m_btnOptimizeTask.m_bPushed = optimise;
    m_btnCleanTask.m_bPushed = !optimise;
    for (CTabButton* task : {&m_btnOptimizeTask, &m_btnCleanTask})
        if (task->GetSafeHwnd() != nullptr)
            task->Invalidate(FALSE);
    m_services.SetMainHeading(AppText(L"TAB5LEFTBTN3") + L" " +
                              AppText(optimise ? L"TABBTN1" : L"TABBTN2"));
    m_bOptimise = optimise;
    RefreshTaskState();
}

void CDlgScheduleChild::RefreshTaskState() {
    CString parameters;
    m_strInfo = AppText(L"IDS_SHINFO");
    TASK_TRIGGER trigger{};
    const int type = m_manager.GetTaskTrigger(TaskName(), trigger, parameters);
    m_strNextRun = type != -1 ? m_manager.GetNextRunTime(TaskName()) : CString();
    m_bScheduled = !m_strNextRun.IsEmpty();
    if (!m_bScheduled)
        m_strNextRun = AppText(L"SCAN_NOT_SCHEDLUE");

    if (m_bOptimise) {
        ShowItem(IDC_CMB_SCHEDULE_DRIVE, true);
        ShowItem(IDC_ST_SELECTDRIVE, true);
        EnableItem(IDC_CMB_SCHEDULE_DRIVE, true);
        EnableItem(IDC_ST_SELECTDRIVE, true);
        // The saved task's drive stays selected, so that Apply keeps it.
        const wchar_t taskDrive = TaskDriveFromParameters(parameters);
        parameters.Replace(L"-schedule -", L"");
        parameters.Trim();
        FillDriveList(taskDrive);
        CheckDlgButton(IDC_CHK_FIXERR_AUTO, BST_CHECKED);
        EnableItem(IDC_CHK_FIXERR_AUTO, false);
        ShowItem(IDC_CHK_FIXERR_AUTO, false);
        EnableItem(IDC_CHK_SYSREBOOT_AFTER_FIX, true);
        ShowItem(IDC_CHK_SYSREBOOT_AFTER_FIX, true);
        MoveItem(IDC_CHK_SYSREBOOT_AFTER_FIX, 20, 355, 350, 17);
    } else {
        EnableItem(IDC_CMB_SCHEDULE_DRIVE, false);
        EnableItem(IDC_ST_SELECTDRIVE, false);
        ShowItem(IDC_CMB_SCHEDULE_DRIVE, false);
        ShowItem(IDC_ST_SELECTDRIVE, false);
        EnableItem(IDC_CHK_FIXERR_AUTO, true);
        ShowItem(IDC_CHK_FIXERR_AUTO, true);
        MoveItem(IDC_CHK_SYSREBOOT_AFTER_FIX, 240, 355, 350, 17);
    }

    const ScheduleOptions options = ScheduleOptionsFromParameters(parameters);
    CheckDlgButton(IDC_CHK_FIXERR_AUTO, options.autofix ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CHK_SYSREBOOT_AFTER_FIX, options.shutdown ? BST_CHECKED : BST_UNCHECKED);
    if (options.autofix)
        EnableItem(IDC_CHK_SYSREBOOT_AFTER_FIX, true);
    else if (!m_bOptimise)
        EnableItem(IDC_CHK_SYSREBOOT_AFTER_FIX, false);

    if (m_bScheduled)
        LoadTaskTrigger(trigger, type);
    else
        SetMode(ScheduleMode::kNotScheduled);
    m_strInfo += L" " + m_strNextRun;
    SetDlgItemText(IDC_ST_SCHEDULEVAL, m_strNextRun);
    // Nothing reads the value back; it tells other tools what the page last showed.
    static_cast<void>(SaveScheduleStatusText(TaskName(), m_strNextRun));
    EnableApply(false);
    Invalidate();
}

void CDlgScheduleChild::LoadTaskTrigger(const TASK_TRIGGER& trigger, int type) {
    SYSTEMTIME moment{};
    moment.wYear = trigger.wBeginYear;
    moment.wMonth = trigger.wBeginMonth;
    moment.wDay = trigger.wBeginDay;
    moment.wHour = trigger.wStartHour;
    moment.wMinute = trigger.wStartMinute;
    SendDlgItemMessage(IDC_DTP_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                       reinterpret_cast<LPARAM>(&moment));
    if (type == TASK_TIME_TRIGGER_ONCE)
        SendDlgItemMessage(IDC_DTP_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                           reinterpret_cast<LPARAM>(&moment));
    if (type == TASK_TIME_TRIGGER_WEEKLY)
        for (size_t day = 0; day < std::size(kWeekDayBoxes); ++day)
            if (trigger.Type.Weekly.rgfDaysOfTheWeek & (1u << day))
                CheckDlgButton(kWeekDayBoxes[day], BST_CHECKED);
    switch (type) {
    case TASK_TIME_TRIGGER_ONCE:
        SetMode(ScheduleMode::kOnce);
        break;
    case TASK_TIME_TRIGGER_DAILY:
        SetMode(ScheduleMode::kDaily);
        break;
    case TASK_TIME_TRIGGER_WEEKLY:
        SetMode(ScheduleMode::kWeekly);
        break;
    default:
        SetMode(ScheduleMode::kNotScheduled);
        break;
    }
}

void CDlgScheduleChild::SetMode(ScheduleMode mode) {
    m_mode = mode;
    for (const ModeRadio& radio : kModeRadios)
        CheckDlgButton(radio.id, radio.mode == mode ? BST_CHECKED : BST_UNCHECKED);
    for (int box : kWeekDayBoxes)
        EnableItem(box, mode == ScheduleMode::kWeekly);
    EnableItem(IDC_DTP_DATE, mode == ScheduleMode::kOnce);
    EnableItem(IDC_DTP_TIME, mode != ScheduleMode::kNotScheduled);
}

void CDlgScheduleChild::FillDriveList(wchar_t taskDrive) {
    SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_RESETCONTENT);
    CStringArray entries;
    m_services.GetDriveEntries(entries);
    const CString systemDrive = AppText(L"IDS_SYS_DRIVE");
    int selected = 0;
    int taskEntry = -1;
    for (INT_PTR index = 0; index < entries.GetSize(); ++index) {
        const CString& entry = entries[index];
        SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(entry.GetString()));
        if (!systemDrive.IsEmpty() && entry.Find(systemDrive) >= 0)
            selected = static_cast<int>(index);
        // Entries begin with the drive in parentheses, as in "(C:)".
        if (taskDrive != 0 && taskEntry < 0 && entry.GetLength() >= 2 &&
            towupper(entry[1]) == taskDrive)
            taskEntry = static_cast<int>(index);
    }
    SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_SETCURSEL, taskEntry >= 0 ? taskEntry : selected);
}

wchar_t CDlgScheduleChild::SelectedDrive() const {
    const LRESULT selected = SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_GETCURSEL);
    if (selected == CB_ERR)
        return 0;
    wchar_t entry[MAX_PATH] = L"";
    if (SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_GETLBTEXTLEN, selected) >= MAX_PATH ||
        SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_GETLBTEXT, selected,
                           reinterpret_cast<LPARAM>(entry)) < 2)
        return 0;
    // Entries begin with the drive in parentheses, as in "(C:)".
    return entry[1];
}

void CDlgScheduleChild::OnBnClickedApply() {
    ScheduleChoice choice;
    choice.optimise = m_bOptimise;
    choice.autofix = IsDlgButtonChecked(IDC_CHK_FIXERR_AUTO) == BST_CHECKED;
    choice.shutdown = IsDlgButtonChecked(IDC_CHK_SYSREBOOT_AFTER_FIX) == BST_CHECKED;
    choice.mode = m_mode;
    for (size_t day = 0; day < std::size(kWeekDayBoxes); ++day)
        if (IsDlgButtonChecked(kWeekDayBoxes[day]) == BST_CHECKED)
            choice.weekDays |= static_cast<WORD>(1u << day);
    SYSTEMTIME time{};
    SYSTEMTIME date{};
    SendDlgItemMessage(IDC_DTP_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    SendDlgItemMessage(IDC_DTP_DATE, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    choice.hour = time.wHour;
    choice.minute = time.wMinute;
    choice.date = date;
    choice.workingFolder = m_services.ProgramFolder();
    choice.programPath = choice.workingFolder;
    AppendPath(choice.programPath, L"Xarn.exe");
    if (m_bOptimise) {
        choice.drive = SelectedDrive();
        if (choice.drive == 0 && m_mode != ScheduleMode::kNotScheduled) {
            AppMessageBox(AppText(L"IDS_SCHEDULE_NO_DRIVE"), MB_ICONERROR, this, nullptr, false);
            return;
        }
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    switch (SaveSchedule(m_manager, choice, now)) {
    case ScheduleSaveResult::kNoWeekDays:
        AppMessageBox(AppText(L"IDS_WEEK_DAYS"), MB_ICONEXCLAMATION, this, nullptr, false);
        return;
    case ScheduleSaveResult::kTimeElapsed:
        AppMessageBox(AppText(L"IDS_TIME_ELAPSED"), MB_ICONEXCLAMATION, this, nullptr, false);
        return;
    case ScheduleSaveResult::kFailed:
        // The stored task is as it was; the user's choice stays on the page to try again.
        AppMessageBox(AppText(L"IDS_SCHEDULE_SAVE_FAILED"), MB_ICONERROR, this, nullptr, false);
        return;
    case ScheduleSaveResult::kSaved:
    case ScheduleSaveResult::kRemoved:
        AppMessageBox(AppText(L"IDS_SETTINGS_SAVED"), MB_ICONINFORMATION, this, nullptr, false);
        RefreshTaskState();
        return;
    }
}

void CDlgScheduleChild::OnModeRadio(UINT id) {
    for (const ModeRadio& radio : kModeRadios)
        if (radio.id == static_cast<int>(id))
            SetMode(radio.mode);
    EnableApply(true);
}

void CDlgScheduleChild::OnChanged() {
    EnableApply(true);
}

void CDlgScheduleChild::OnWeekDayBox(UINT) {
    EnableApply(true);
}

void CDlgScheduleChild::OnDateTimeChanged(NMHDR*, LRESULT* result) {
    EnableApply(true);
    *result = 0;
}

void CDlgScheduleChild::OnFixBox() {
    const bool fix = IsDlgButtonChecked(IDC_CHK_FIXERR_AUTO) == BST_CHECKED;
    EnableItem(IDC_CHK_SYSREBOOT_AFTER_FIX, fix);
    if (!fix)
        CheckDlgButton(IDC_CHK_SYSREBOOT_AFTER_FIX, BST_UNCHECKED);
    EnableApply(true);
}

void CDlgScheduleChild::OnShutdownBox() {
    EnableApply(true);
}

void CDlgScheduleChild::EnableApply(bool enable) {
    if (m_btnApply.GetSafeHwnd() != nullptr)
        m_btnApply.EnableWindow(enable);
}

void CDlgScheduleChild::ShowItem(int id, bool show) {
    if (CWnd* item = GetDlgItem(id))
        item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CDlgScheduleChild::EnableItem(int id, bool enable) {
    if (CWnd* item = GetDlgItem(id))
        item->EnableWindow(enable);
}

void CDlgScheduleChild::MoveItem(int id, int x, int y, int width, int height) {
    if (CWnd* item = GetDlgItem(id))
        item->MoveWindow(x, y, width, height, TRUE);
}

HBRUSH CDlgScheduleChild::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    CDlgBaseWnd::OnCtlColor(dc, control, type);
    const int id = control != nullptr ? control->GetDlgCtrlID() : 0;
    if (id == IDC_ST_DATETIME || id == IDC_ST_WEEKDAYS || id == IDC_ST_SELECTDRIVE)
        dc->SetTextColor(kLabelColour);
    return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
}

void CDlgScheduleChild::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    if (m_rcInfo.IsRectEmpty())
        m_rcInfo.SetRect(22, client.Height() - 40, 322, client.Height());
    memory.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        memory.SetTextColor(kHeadingColour);
        CRect heading(22, 0, 561, 150);
        memory.DrawText(AppText(L"IDS_CREATESCHED_AUTOSCAN"), &heading, DT_WORDBREAK);
    }
    static CSTBitmap strip(kBottomStrip);
    if (strip.GetWidth() > 0)
        for (int x = 0; x < client.Width(); x += strip.GetWidth())
            DrawBitmap(&memory, x, client.Height() - strip.GetHeight(), strip.GetWidth(),
                       strip.GetHeight(), &strip, SRCCOPY);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        memory.SetTextColor(RGB(0, 0, 0));
        CRect info = m_rcInfo;
        memory.DrawText(m_strInfo, &info, DT_WORDBREAK);
    }
    {
        CPen border(PS_SOLID, 1, kPanelBorder);
        CPen* previousPen = memory.SelectObject(&border);
        CBrush* previousBrush = memory.SelectObject(&m_whiteBrush);
        memory.RoundRect(20, 37, 573, 346, 10, 10);
        memory.SelectObject(previousBrush);
        memory.SelectObject(previousPen);
    }
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontMinus1.GetSafeHandle()));
    memory.SetTextColor(kLabelColour);
    CRect setFor(32, 47, 561, 70);
    memory.DrawText(AppText(L"IDS_SET_SCHEDULE_FOR"), &setFor, DT_WORDBREAK);
    CRect scheduleType(32, 107, 561, 130);
    memory.DrawText(AppText(L"IDS_SELECT_SCHEDTYPE"), &scheduleType, DT_WORDBREAK);
    for (int y : {68, 128, 185})
        DrawSeparator(memory, y);
    if (m_bOptimise)
        DrawSeparator(memory, 310);
}
