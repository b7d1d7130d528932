// CDlgCleanOptions: the junk cleaner's settings page: five tabs (drives and folders, file
// masks, exclusions, advanced options, removal) behind five tab buttons; Apply on a tab saves
// every tab, Load defaults resets every tab.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <classlib/MessageMap.h>

#include "DlgSetting1Drives.h"
#include "DlgSetting2Files.h"
#include "DlgSetting3Exclusions.h"
#include "DlgSetting4Advanced.h"
#include "DlgSetting5Cleanup.h"

class CDlgCleanOptions : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    static constexpr int kTabCount = 5;

    explicit CDlgCleanOptions(CWnd* parent = nullptr);
    ~CDlgCleanOptions() override;

    BOOL OnInitDialog() override;
    // The title without the icon: the tab buttons stand where it would.
    void DrawPageTitle(CDC* dc, const RECT& client, BOOL drawIcon) override;
    void OnOK() override {}
    void OnCancel() override {}

    // Saves the five tabs in order; with `confirm` the saved message follows. False when one
    // of the lists could not be written.
    bool ApplyAll(bool confirm);
    // After a Yes to the question, every tab and its stored values back to the defaults.
    void LoadDefaultsAll();
    // Shows tab 1 to 5.
    void SelectTab(int tab);
    int CurrentTab() const { return m_nCurrentTab; }
    CJunkSettingsTab* Tab(int index);

    CDlgSetting1Drives m_drivesTab;
    CDlgSetting2Files m_masksTab;
    CDlgSetting3Exclusions m_exclusionsTab;
    CDlgSetting4Advanced m_advancedTab;
    CDlgSetting5Cleanup m_cleanupTab;
    CHoverButtonWithText m_tabButtons[kTabCount];
    CHoverButtonWithText* m_pSelectedButton = nullptr;

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnTabButton(UINT id);

private:
    int m_nCurrentTab = 0;
};

// Marks the button as the selected tab button of its group and the previous one not.
void SelectTabButton(CHoverButtonWithText* button, CHoverButtonWithText*& selected);
