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
// Under the query field, made as the dialog opens (the template does not
// hold them): the query read back, and what in it is read otherwise than it
// looks.
#define IDC_READING 1006
#define IDC_MISREADING 1007

// What the dialog ends with when closed by its close box or Alt+F4.
#define IDD_SEARCH_CLOSED 16
