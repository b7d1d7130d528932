// Resource and control identifiers of the main program's own dialogs.
#pragma once

#define IDI_XARN_APP 148

// Defragmentation home page (template 6038).
#define IDD_SELECTDISK_DLG 6038
#define IDC_BTN_START_SCAN 6011
#define IDC_CHK_DEFRAG_AFTER 6017
#define IDC_ST_DD 6018
#define IDC_CMB_DRIVES 6034
#define IDC_ST_HD_HEADING 6039
