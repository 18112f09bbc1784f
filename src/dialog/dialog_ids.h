// Ids of the search dialog and its controls, shared by the resource script
// and the code.
#pragma once

#define IDD_SEARCH 101
#define IDC_QUERY 1000
#define IDC_SCOPE_FOLDER 1001
#define IDC_SCOPE_SUBFOLDERS 1002
#define IDC_SCOPE_ACCOUNT 1003
#define IDC_SCOPE_ALL_ACCOUNTS 1004
#define IDC_INCLUDE_ALL 1005

// What the dialog ends with when closed by its close box or Alt+F4.
#define IDD_SEARCH_CLOSED 16
