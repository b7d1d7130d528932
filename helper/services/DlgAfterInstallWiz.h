// CDlgAfterInstallWiz: the small window that runs once after installation: it lets the
// system-file backup program run a hidden scan, makes a System Restore point, starts the
// scheduler program in its service mode, records the outcome and closes by itself.
#pragma once

#include "DlgBaseWndPopupNagBase.h"
#include "GdiPlusBitmapResource.h"
#include "GlobalUpdate.h"
#include "HoverButtonWithText.h"
#include "HyperLinkBtn.h"
#include "STBitmap.h"

#include <owners/WinOwners.h>

#include <atomic>

#include <classlib/CommonControls.h>
#include <classlib/String.h>

class CDlgAfterInstallWiz : public CDlgBaseWndPopupNagBase {
    DECLARE_DYNAMIC(CDlgAfterInstallWiz)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplate = 1264;
    static constexpr int kWidth = 503;
    static constexpr int kHeight = 253;
    static constexpr UINT kStartTimer = 2009091201;
    static constexpr UINT kCloseTimer = 2009091202;
    // The task worker's end, posted to the dialog.
    static constexpr UINT kTasksDoneMessage = WM_APP + 0x182;
    static constexpr int kStepCount = 6;
    // The product's programs in the program folder.
    static constexpr wchar_t kBackupProgram[] = L"XarnSysBackup.exe";
    static constexpr wchar_t kSchedulerProgram[] = L"XarnScheduler.exe";

    explicit CDlgAfterInstallWiz(CWnd* owner = nullptr);
    // Waits for the task worker.
    ~CDlgAfterInstallWiz() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override;

    // The whole task sequence (run by the worker).
    void StartScheduler();
    // Resets "CLEANFINISHED", runs the backup program's hidden scan and waits; true when it ran
    // and then reported a clean finish.
    bool StartHiddenScan();
    // Runs a program of the program folder hidden and waits for it; 1 when it ran, 0 when it
    // is missing or the wait failed.
    int RunAndWait(const CString& program, const CString& arguments);
    void CreateInstallRestorePoint();
    bool UpdateDatabase();
    // 0: running (status cleared, animation shown); 1: done; 2: not done.
    void SetStepResult(int code);
    void PlaceStepControls(bool done);
    void DrawStepIcon(CDC* dc, int step, bool done);
    static bool ReadBackupSuccess();
    static bool WriteBackupSuccess(DWORD value);
    static bool ReadCleanFinished();
    static bool ResetCleanFinished();
    void CloseWizard();

    CGdiPlusBitmapResource m_stepIcons;
    CHoverButtonWithText m_nextButton;
    CHyperLinkBtn m_skipLink;
    CString m_strHeadings[kStepCount];
    CString m_strDescriptions[kStepCount];
    CString m_strStatus[kStepCount];
    int m_nCurrentStep = 0;
    CRect m_rcStatus[kStepCount];
    CString m_strTexts[5];
    CAnimateCtrl m_animation;
    CSTBitmap m_bmpTask;
    bool m_bNext = false;
    bool m_bSkip = false;
    std::atomic<bool> m_bBackupDone{false};
    std::atomic<bool> m_bServiceDone{false};
    CGlobalUpdate m_update;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnMinimize();
    void OnNext();
    void OnSkip();
    void OnCancelCommand();
    LRESULT OnTasksDone(WPARAM wParam, LPARAM lParam);

private:
    static DWORD WINAPI TaskThread(void* wizard);
    void MoveAnimation(int x, int y);
    KernelHandle m_worker;
};
