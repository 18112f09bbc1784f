// Ids of the search dialog and its controls, shared by the resource script
// and the code. The scope buttons' ids are the scopes themselves.
#pragma once

#include "query/scope.h"

#define IDD_SEARCH 101
#define IDC_QUERY 1000
#define IDC_SCOPE_FOLDER SCOPE_CURRENT_FOLDER
#define IDC_SCOPE_SUBFOLDERS SCOPE_WITH_SUBFOLDERS
#define IDC_SCOPE_ACCOUNT SCOPE_CURRENT_ACCOUNT
#define IDC_SCOPE_ALL_ACCOUNTS SCOPE_ALL_ACCOUNTS
#define IDC_INCLUDE_ALL 1005
// The line under the query field that reads the query back, made as the
// dialog opens (the template does not hold it).
#define IDC_READING 1006

// What the dialog ends with when closed by its close box or Alt+F4.
#define IDD_SEARCH_CLOSED 16
