// The search scopes. A scope is known everywhere by the id of its radio
// button in the search dialog; the settings file keeps it as "1" to "4".
#pragma once

// Plain macros as well, for the dialog's resource script.
#define SCOPE_CURRENT_FOLDER 1001
#define SCOPE_WITH_SUBFOLDERS 1002
#define SCOPE_CURRENT_ACCOUNT 1003
#define SCOPE_ALL_ACCOUNTS 1004

#ifndef RC_INVOKED
#include <cstring>

constexpr int kScopeCurrentFolder = SCOPE_CURRENT_FOLDER;
constexpr int kScopeWithSubfolders = SCOPE_WITH_SUBFOLDERS;
constexpr int kScopeCurrentAccount = SCOPE_CURRENT_ACCOUNT;
constexpr int kScopeAllAccounts = SCOPE_ALL_ACCOUNTS;

inline bool IsScope(int id) {
    return id >= kScopeCurrentFolder && id <= kScopeAllAccounts;
}

// The settings value of a scope: "1" to "4"; "1" for anything else.
inline const char* ScopeSettingValue(int scope) {
    static const char* const kValues[] = {"1", "2", "3", "4"};
    return kValues[IsScope(scope) ? scope - kScopeCurrentFolder : 0];
}

// The scope a settings value names, only when it is exactly "1" to "4";
// the current folder for anything else, no value included.
inline int ScopeFromSettingValue(const char* value) {
    for (int scope = kScopeCurrentFolder; scope <= kScopeAllAccounts; ++scope) {
        if (value && std::strcmp(value, ScopeSettingValue(scope)) == 0)
            return scope;
    }
    return kScopeCurrentFolder;
}
#endif
