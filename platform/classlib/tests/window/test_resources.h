// Resource ids of the window tests.
#pragma once

#define IDD_TEST_PLAIN 2001
#define IDD_TEST_HIDDEN 2002
#define IDD_TEST_LIBRARY_ONLY 2003
#define IDC_TEST_BUTTON 2101
#define IDC_TEST_EDIT 2102
#define IDR_TEST_BOTH 7001
#define IDR_TEST_LIBRARY_ONLY 7002
#define IDR_TEST_NOWHERE 7003
