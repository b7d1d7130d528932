#include "TabBenchmarkDlg.h"

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"
#include "DriveCombo.h"

#include <PopupServices.h>

namespace {

constexpr wchar_t kSection[] = L"IDD_BENCHMARK_TAB";
constexpr int kFigureColumn = 455;

struct FigureField {
    int labelId, valueId;
    const wchar_t* labelKey;
    int top, labelWidth;
};
constexpr FigureField kFigureFields[] = {
    {IDC_STATIC_BENCHMIN, IDC_BENCHMIN, L"IDC_STATIC_BENCHMIN", 75, 117},
    {IDC_STATIC_BENCHMAX, IDC_BENCHMAX, L"IDC_STATIC_BENCHMAX", 128, 117},
    {IDC_STATIC_BENCHAVRG, IDC_BENCHAVRG, L"IDC_STATIC_BENCHAVRG", 181, 137},
    {IDC_STATIC_BENCHATIME, IDC_BENCHATIME, L"IDC_STATIC_BENCHATIME", 234, 117},
    {IDC_STATIC_BENCHBURST, IDC_BENCHBURST, L"IDC_STATIC_BENCHBURST", 287, 137},
    {IDC_STATIC_BENCHCPU, IDC_BENCHCPU, L"IDC_STATIC_BENCHCPU", 340, 117},
};

CString Megabytes(double bytesPerSecond) {
    CString text;
    text.Format(L"%0.1f MB/s", bytesPerSecond / 1048576.0);
    return text;
}

FILETIME Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

} // namespace

BEGIN_MESSAGE_MAP(CTabBenchmarkDlg, CDiskToolsPage)
ON_WM_DESTROY()
ON_WM_SHOWWINDOW()
ON_WM_ERASEBKGND()
ON_BN_CLICKED(IDC_STARTBENCH, &CTabBenchmarkDlg::OnBnClickedStartStop)
ON_CBN_SELCHANGE(IDC_COMBO_PHYSICAL_DISK, &CTabBenchmarkDlg::OnDriveSelected)
ON_MESSAGE(kBenchmarkProgress, &CTabBenchmarkDlg::OnProgressMessage)
ON_MESSAGE(kBenchmarkStarting, &CTabBenchmarkDlg::OnStartingMessage)
ON_MESSAGE(kBenchmarkEnded, &CTabBenchmarkDlg::OnEndedMessage)
END_MESSAGE_MAP()

CTabBenchmarkDlg::CTabBenchmarkDlg(CWnd* parent) : CDiskToolsPage(IDD_BENCHMARK_TAB, parent) {}

CTabBenchmarkDlg::~CTabBenchmarkDlg() {
    Stop();
}

BOOL CTabBenchmarkDlg::OnInitDialog() {
    CDiskToolsPage::OnInitDialog();
    SetWindowText(AppText(L"TOOLTAB3DESC", kDiskToolsSection));
    for (const FigureField& field : kFigureFields)
        SetDlgItemText(field.labelId, AppText(field.labelKey, kSection));
    SetUpTextButton(m_startButton, IDC_STARTBENCH, L"IDC_STARTBENCH", kSection);
    m_graph.SubclassDlgItem(IDC_BENCHMARK_GRAPH, this);
    SetUpDriveCombo(kSection);
    DiskToolsState& state = GetDiskToolsState();
    if (state.benchmark)
        state.benchmark->Clear();
    if (state.api)
        m_run = std::make_unique<CBenchmarkRun>(*state.api, static_cast<CBenchmarkSink&>(*this));
    LayOutPage();
    OnDriveSelected();
    return TRUE;
}

void CTabBenchmarkDlg::Layout(int cx, int cy) {
    if (!m_graph.GetSafeHwnd())
        return;
    PlaceControl(IDC_BENCHMARK_GRAPH, 22, 72, kFigureColumn - 22 - 12, cy - 72 - 52);
    for (const FigureField& field : kFigureFields) {
        PlaceControl(field.labelId, kFigureColumn, field.top, field.labelWidth, 20);
        PlaceControl(field.valueId, kFigureColumn, field.top + 20, 117, 20);
    }
    PlaceControl(IDC_STARTBENCH, cx - 137, cy - 41, 120, 28);
}

void CTabBenchmarkDlg::OnDriveSelected() {
    if (m_driveCombo.GetSafeHwnd() && GetDiskToolsState().tables)
        OnPhysicalDiskComboChange(m_driveCombo.m_hWnd, *GetDiskToolsState().tables, m_hWnd);
    const PhysicalDriveInfo* drive = SelectedDrive();
    m_graph.SetSource(GetDiskToolsState().benchmark, drive ? drive->totalSectors : 0);
    m_graph.Invalidate();
}

void CTabBenchmarkDlg::OnShowWindow(BOOL show, UINT) {
    if (show)
        m_graph.Invalidate();
}

void CTabBenchmarkDlg::OnBnClickedStartStop() {
    CString caption;
    m_startButton.GetWindowText(caption);
    const CString stopCaption = AppText(L"IDC_STOPBENCH", kSection);
    if (caption == stopCaption) {
        Stop();
        return;
    }
    DiskToolsState& state = GetDiskToolsState();
    const PhysicalDriveInfo* drive = SelectedDrive();
    if (!m_run || !state.benchmark)
        return;
    // The figures of the last run go now, before the worker writes, so that painting never
    // reads arrays being freed.
    state.benchmark->Clear();
    m_graph.SetSource(state.benchmark, drive ? drive->totalSectors : 0);
    UpdateFigures();
    m_startButton.SetWindowText(stopCaption);
    ++m_runNumber;
    if (!m_run->Start(drive ? BenchmarkDriveOf(*drive) : BenchmarkDrive{}, *state.benchmark,
                      state.sampleSharePercent))
        m_startButton.SetWindowText(AppText(L"IDC_STARTBENCH", kSection));
}

void CTabBenchmarkDlg::Stop() {
    if (m_run)
        m_run->Stop();
    if (m_startButton.GetSafeHwnd())
        m_startButton.SetWindowText(AppText(L"IDC_STARTBENCH", kSection));
}

void CTabBenchmarkDlg::OnDestroy() {
    Stop();
    CDiskToolsPage::OnDestroy();
}

LRESULT CTabBenchmarkDlg::OnProgressMessage(WPARAM, LPARAM) {
    UpdateFigures();
    m_graph.Invalidate();
    return 0;
}

LRESULT CTabBenchmarkDlg::OnStartingMessage(WPARAM, LPARAM) {
    if (BenchmarkResults* results = GetDiskToolsState().benchmark) {
        results->sequentialPointCount = static_cast<uint32_t>(m_graph.PlotWidth());
        results->randomSampleCount = CBenchmarkRun::kRandomSampleCount;
    }
    return 0;
}

LRESULT CTabBenchmarkDlg::OnEndedMessage(WPARAM run, LPARAM) {
    if (run != m_runNumber)
        return 0;
    Stop();
    UpdateFigures();
    m_graph.Invalidate();
    // A disk that could not be read leaves empty or partial figures: the user is told why.
    const BenchmarkResults* results = GetDiskToolsState().benchmark;
    if (results != nullptr && results->DiskUnreadable())
        static_cast<void>(AppMessageBox(AppText(L"IDS_BENCH_DISK_UNREADABLE", kDiskToolsSection),
                                        MB_ICONERROR, this, nullptr, false));
    return 0;
}

void CTabBenchmarkDlg::UpdateFigures() {
    const BenchmarkResults* results = GetDiskToolsState().benchmark;
    if (!results)
        return;
    const BenchmarkFigures figures =
        SummarizeBenchmark(*results, m_run ? m_run->WorkerKernelTime() : FILETIME{}, Now());
    auto show = [this](int id, bool shown, const CString& text) {
        SetDlgItemText(id, shown ? text : CString());
    };
    CString percent;
    percent.Format(L"%0.1f %%", figures.processorPercent);
    show(IDC_BENCHMIN, figures.hasRates, Megabytes(figures.minimumRate));
    show(IDC_BENCHMAX, figures.hasRates, Megabytes(figures.maximumRate));
    show(IDC_BENCHAVRG, figures.hasRates, Megabytes(figures.averageRate));
    show(IDC_BENCHCPU, figures.hasRates, percent);
    CString access;
    access.Format(L"%0.1f ms", figures.accessMilliseconds);
    show(IDC_BENCHATIME, figures.hasSamples, access);
    show(IDC_BENCHBURST, figures.burstRate != 0, Megabytes(figures.burstRate));
}

void CTabBenchmarkDlg::OnRunStarting(BenchmarkResults&) {
    SendMessage(kBenchmarkStarting);
}

void CTabBenchmarkDlg::OnProgress() {
    SendMessage(kBenchmarkProgress);
}

void CTabBenchmarkDlg::OnRunEnded() {
    PostMessage(kBenchmarkEnded, m_runNumber.load());
}
