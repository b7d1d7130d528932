// CDlgDFCleaning: the page shown while the checked duplicates are removed: the file being
// removed, the count so far against the count selected, and a cancel that stops before the
// next file.
#pragma once

#include <DupeRemover.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>

#include <atomic>

class CDlgDFCleaning : public CDlgLeftSideChild, public DupeRemovalObserver {
    DECLARE_DYNAMIC(CDlgDFCleaning)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kCleaningAnimation = 1401;

    explicit CDlgDFCleaning(CWnd* parent = nullptr);
    ~CDlgDFCleaning() override;

    BOOL OnInitDialog() override;
    // Resets the counter and shows the number of files selected.
    void Prepare(int selected);
    void PlayAnimation(bool play);
    // Called by the removal on its own thread.
    void OnFileStarted(const CString& path) override;
    void OnFileRemoved(int removedSoFar) override;

    std::atomic<int> m_nRemoved{0};
    int m_nSelected = 0;
    CString m_strSelectedCount;
    CString m_strSelectedLine;

protected:
    void OnCancelCleaning();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    CProgressCtrl m_progress;
    CAnimateCtrl m_animation;
    CHoverButtonWithText m_btnCancel;
    CRect m_rcNote;
};
