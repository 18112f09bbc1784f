// The search scopes. A scope is known everywhere by the id of its radio
// button in the search dialog.
#pragma once

// Plain macros as well, for the dialog's resource script.
#define SCOPE_CURRENT_FOLDER 1001
#define SCOPE_WITH_SUBFOLDERS 1002
#define SCOPE_CURRENT_ACCOUNT 1003
#define SCOPE_ALL_ACCOUNTS 1004

#ifndef RC_INVOKED
constexpr int kScopeCurrentFolder = SCOPE_CURRENT_FOLDER;
constexpr int kScopeWithSubfolders = SCOPE_WITH_SUBFOLDERS;
constexpr int kScopeCurrentAccount = SCOPE_CURRENT_ACCOUNT;
constexpr int kScopeAllAccounts = SCOPE_ALL_ACCOUNTS;

inline bool IsScope(int id) {
    return id >= kScopeCurrentFolder && id <= kScopeAllAccounts;
}

#endif
