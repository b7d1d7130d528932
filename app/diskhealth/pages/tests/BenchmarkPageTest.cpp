// The benchmark tab on a file-backed simulated disk: a run to its figures and graph, a stop in
// the middle that keeps the points measured, a drive that cannot be opened, and the process's
// priority class afterwards.
#include "PagesTestSupport.h"

#include <DiskPagesResource.h>
#include <DlgBaseMessageBoxWndBase.h>
#include <TabBenchmarkDlg.h>

namespace {

std::vector<std::wstring> g_boxes;
void RecordBox(CDlgBaseMessageBoxWndBase* box) {
    g_boxes.emplace_back(box->m_strMessage.GetString());
    box->PostMessageW(WM_COMMAND, IDOK);
}

class BenchmarkPage : public ::testing::Test {
protected:
    void SetUp() override {
        g_boxes.clear();
        SetMessageBoxAnswerHook(&RecordBox);
        ASSERT_TRUE(page_.Create(IDD_BENCHMARK_TAB, &host_));
        page_.MoveWindow(0, 0, 591, 473);
        page_.ShowWindow(SW_SHOW);
        PumpFor(100);
    }
    void TearDown() override {
        page_.DestroyWindow();
        SetMessageBoxAnswerHook(nullptr);
    }
    // The run told that the disk could not be read, once.
    void ExpectToldUnreadable() {
        ASSERT_TRUE(PumpUntil([] { return !g_boxes.empty(); }, 5'000)) << "told nothing";
        EXPECT_EQ(1u, g_boxes.size());
        EXPECT_NE(std::wstring::npos, g_boxes[0].find(L"could not be read"));
    }
    HWND Item(int id) const { return ::GetDlgItem(page_.m_hWnd, id); }
    std::wstring Field(int id) const { return WindowText(Item(id)); }
    void Click() { SendMessageW(Item(IDC_STARTBENCH), BM_CLICK, 0, 0); }
    bool WaitForEnd(DWORD milliseconds) {
        return PumpUntil([this] { return !page_.IsRunning() && Field(IDC_STARTBENCH) == L"Start"; },
                         milliseconds);
    }

    SimulatedDisks disks_;
    HostWindow host_{RGB(255, 255, 255), 591, 473};
    CTabBenchmarkDlg page_;
};

} // namespace

TEST_F(BenchmarkPage, RunShowsEveryFigureAndTheGraph) {
    const DWORD priorityBefore = GetPriorityClass(GetCurrentProcess());
    EXPECT_EQ(Field(IDC_STARTBENCH), L"Start");
    EXPECT_EQ(Field(IDC_BENCHMIN), L"");
    Click();
    EXPECT_EQ(Field(IDC_STARTBENCH), L"Stop");
    ASSERT_TRUE(WaitForEnd(120000));
    EXPECT_EQ(disks_.benchmark.failedReadError, 0u);
    EXPECT_EQ(disks_.benchmark.sequentialPointCount,
              static_cast<uint32_t>(page_.m_graph.PlotWidth()));
    EXPECT_GT(disks_.benchmark.sequentialPointCount, 300u);
    for (int id : {IDC_BENCHMIN, IDC_BENCHMAX, IDC_BENCHAVRG, IDC_BENCHBURST})
        EXPECT_NE(Field(id).find(L" MB/s"), std::wstring::npos) << id;
    EXPECT_NE(Field(IDC_BENCHATIME).find(L" ms"), std::wstring::npos);
    EXPECT_NE(Field(IDC_BENCHCPU).find(L" %"), std::wstring::npos);
    // Every point and every sample measured.
    ASSERT_TRUE(disks_.benchmark.sequentialRates);
    EXPECT_NE(disks_.benchmark.sequentialRates[disks_.benchmark.sequentialPointCount - 1], 0u);
    ASSERT_TRUE(disks_.benchmark.randomSamples);
    EXPECT_NE(disks_.benchmark.randomSamples[CBenchmarkRun::kRandomSampleCount - 1].milliseconds,
              0.0);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), priorityBefore);
    Photograph(&page_, L"disk_benchmark_tab.png");
    // The bars are drawn in blue inside the graph.
    CRect graph;
    page_.m_graph.GetWindowRect(&graph);
    Canvas canvas(graph.Width(), graph.Height());
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.Handle(), 0, 0, graph.Width(), graph.Height(), screen, graph.left, graph.top,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(canvas.Count(RGB(0, 0, 255), RECT{0, 0, graph.Width(), graph.Height()}), 100);
    EXPECT_TRUE(g_boxes.empty()) << "a run that read the whole disk tells nothing";
}

TEST_F(BenchmarkPage, StopKeepsThePointsMeasuredAndTheNextStartClearsThem) {
    Click();
    ASSERT_TRUE(PumpUntil([this] { return !Field(IDC_BENCHMIN).empty(); }, 60000));
    Click();
    EXPECT_FALSE(page_.IsRunning());
    EXPECT_EQ(Field(IDC_STARTBENCH), L"Start");
    PumpFor(200);
    EXPECT_NE(Field(IDC_BENCHMIN), L"") << "the figures measured stay";
    EXPECT_NE(Field(IDC_BENCHBURST), L"");
    ASSERT_TRUE(disks_.benchmark.sequentialRates);
    EXPECT_NE(disks_.benchmark.sequentialRates[0], 0u);
    EXPECT_TRUE(
        !disks_.benchmark.randomSamples ||
        disks_.benchmark.randomSamples[CBenchmarkRun::kRandomSampleCount - 1].milliseconds == 0)
        << "stopped before the end";
    EXPECT_TRUE(g_boxes.empty()) << "a stop by the user is no failure";
    EXPECT_EQ(disks_.api.OpenHandleCount(), 0u);
    Photograph(&page_, L"disk_benchmark_tab_stopped.png");

    // A drive that cannot be opened: every figure empty, the button back to Start.
    disks_.Add(1, "geometry 512 63 255 100\nsmart no\nvendor ACME\nproduct Locked\nfault open\n");
    ASSERT_EQ(disks_.tables->drives[1].driveNumber, -1) << "the reader cannot open it either";
    disks_.tables->drives[1] = disks_.tables->drives[0];
    disks_.tables->drives[1].driveNumber = 1;
    disks_.tables->selectedDrive = 1;
    Click();
    ASSERT_TRUE(WaitForEnd(10000));
    for (int id :
         {IDC_BENCHMIN, IDC_BENCHMAX, IDC_BENCHAVRG, IDC_BENCHATIME, IDC_BENCHBURST, IDC_BENCHCPU})
        EXPECT_EQ(Field(id), L"") << id;
    EXPECT_FALSE(disks_.benchmark.sequentialRates);
    ExpectToldUnreadable();
}

TEST_F(BenchmarkPage, FailingReadsEndTheRunWithoutFigures) {
    ChooseComboItem(&page_, IDC_COMBO_PHYSICAL_DISK, 3);
    ASSERT_EQ(disks_.tables->selectedDrive, 3);
    Click();
    ASSERT_TRUE(WaitForEnd(30000));
    EXPECT_EQ(disks_.benchmark.failedReadError, static_cast<DWORD>(ERROR_CRC));
    EXPECT_EQ(Field(IDC_BENCHMIN), L"");
    EXPECT_EQ(Field(IDC_BENCHBURST), L"");
    EXPECT_EQ(disks_.api.OpenHandleCount(), 0u) << "the drive handle is closed";
    ExpectToldUnreadable();
}

TEST_F(BenchmarkPage, ClosingThePageDuringARunStopsIt) {
    Click();
    ASSERT_TRUE(PumpUntil([this] { return !Field(IDC_BENCHBURST).empty(); }, 60000));
    page_.DestroyWindow();
    EXPECT_FALSE(page_.IsRunning());
    EXPECT_EQ(disks_.api.OpenHandleCount(), 0u);
    ASSERT_TRUE(page_.Create(IDD_BENCHMARK_TAB, &host_)) << "for TearDown";
}
