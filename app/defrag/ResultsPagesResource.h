// Dialog templates and control identifiers of the results pages, the one-click scan summary
// and the schedule page.
#pragma once

// Defragmentation results page.
#define IDD_DLG_DEFRAG_RESULTS 6035
#define IDC_BTN_BACK 6009
#define IDC_REPORT 1056

// Analysis results page.
#define IDD_DLG_SCAN_RESULTS 6037
#define IDC_BTN_START_DEFRAG 6010
#define IDB_BTN_CANCEL 6001
#define IDC_ST_RESULTS_NOTE 6041

// One-click scan summary (a pop-up).
#define IDD_ONECLICK_SCAN_RESULTS 149

// Schedule page: the host page and its child.
#define IDD_DLG_SCHEDULER 8089
#define IDD_DLG_SCHEDULE_CHILD 152
#define IDC_TABBTN_OPTIMIZE 6059
#define IDC_TABBTN_CLEAN 6060
#define IDC_RD_RUNONCE 531
#define IDC_RD_EVERYDAY 532
#define IDC_RD_EVERYWEEK 534
#define IDC_RD_DONTSCHEDULE 535
#define IDC_CHK_SUNDAY 536
#define IDC_CHK_MONDAY 537
#define IDC_CHK_TUESDAY 538
#define IDC_CHK_WEDNESDAY 539
#define IDC_CHK_THURSDAY 540
#define IDC_CHK_FRIDAY 541
#define IDC_CHK_SATURDAY 542
#define IDC_DTP_TIME 543
#define IDC_DTP_DATE 544
#define IDC_ST_SHINFO 545
#define IDC_ST_SCHEDULEVAL 546
#define IDC_ST_SCHEDULE_SCAN 581
#define IDC_ST_SCHEDULE_DESC 583
#define IDC_ST_DATETIME 596
#define IDC_ST_WEEKDAYS 597
#define IDC_BTN_APPLY 598
#define IDC_CHK_FIXERR_AUTO 3096
#define IDC_CMB_SCHEDULE_DRIVE 5076
#define IDC_ST_SELECTDRIVE 5077
#define IDC_CHK_SYSREBOOT_AFTER_FIX 5104
