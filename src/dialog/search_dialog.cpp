#include "dialog/search_dialog.h"

#include "dialog/dialog_ids.h"
#include "dialog/placement.h"
#include "dialog/query_history_store.h"
#include "plugin/session.h"
#include "settings/settings_file.h"

#include <imm.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The query box and the edit field inside it, while the dialog is open.
HWND g_queryBox = nullptr;
HWND g_queryEdit = nullptr;

const char kImeSection[] = "IME";
const char kImeControlKey[] = "control";

bool IsScopeButton(int id) {
    return id >= IDC_SCOPE_FOLDER && id <= IDC_SCOPE_ALL_ACCOUNTS;
}

// The check box means something only for whole accounts.
void EnableIncludeAllFor(HWND dialog, int scope) {
    EnableWindow(GetDlgItem(dialog, IDC_INCLUDE_ALL), scope == IDC_SCOPE_ACCOUNT || scope == IDC_SCOPE_ALL_ACCOUNTS);
}

void SwitchInputMethodOffIfAsked(HWND dialog) {
    if (!g_session.settings)
        return;
    char* control = g_session.settings->ReadValue(kImeSection, kImeControlKey);
    if (control && std::strcmp(control, "1") == 0) {
        if (const HIMC context = ImmGetContext(dialog)) {
            if (ImmGetOpenStatus(context))
                ImmSetOpenStatus(context, FALSE);
            ImmReleaseContext(dialog, context);
        }
    }
    std::free(control);
}

void OnInitDialog(HWND dialog) {
    PlaceOnDesktop(dialog);
    g_queryBox = GetDlgItem(dialog, IDC_QUERY);
    SendMessageA(g_queryBox, CB_LIMITTEXT, 0, 0);
    g_queryEdit = GetWindow(g_queryBox, GW_CHILD);
    SetFocus(g_queryBox);
    // Explicit positions keep the history's order in spite of CBS_SORT.
    for (std::size_t i = 0; i < g_session.history.size(); ++i)
        SendMessageA(g_queryBox, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(g_session.history[i].c_str()));
    CheckRadioButton(dialog, IDC_SCOPE_FOLDER, IDC_SCOPE_ALL_ACCOUNTS, g_session.scope);
    CheckDlgButton(dialog, IDC_INCLUDE_ALL, g_session.includeAll ? BST_CHECKED : BST_UNCHECKED);
    if (g_session.scope == IDC_SCOPE_FOLDER || g_session.scope == IDC_SCOPE_SUBFOLDERS)
        EnableWindow(GetDlgItem(dialog, IDC_INCLUDE_ALL), FALSE);
    if (!g_session.initialText.empty())
        SetWindowTextA(g_queryEdit, g_session.initialText.c_str());
    SwitchInputMethodOffIfAsked(dialog);
}

void StoreScopeAndCheckBox(HWND dialog) {
    for (int id = IDC_SCOPE_FOLDER; id <= IDC_SCOPE_ALL_ACCOUNTS; ++id) {
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
            g_session.scope = id;
            break;
        }
    }
    g_session.includeAll = IsDlgButtonChecked(dialog, IDC_INCLUDE_ALL) == BST_CHECKED;
    if (const SettingsFile* settings = g_session.settings) {
        static const char* const kScopeValues[] = {"1", "2", "3", "4"};
        const int scope = g_session.scope;
        const char* scopeValue = IsScopeButton(scope) ? kScopeValues[scope - IDC_SCOPE_FOLDER] : "1";
        settings->WriteValue(kConfigSection, kScopeKey, scopeValue);
        settings->WriteValue(kConfigSection, kIncludeAllKey, g_session.includeAll ? "TRUE" : "FALSE");
    }
}

void OnOk(HWND dialog) {
    StoreScopeAndCheckBox(dialog);
    const int length = GetWindowTextLengthA(g_queryEdit);
    if (length <= 0) {
        EndDialog(dialog, IDCANCEL);
        return;
    }
    std::string query(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(g_queryEdit, &query[0], length + 1);
    query.resize(std::strlen(query.c_str()));
    ConfirmQuery(g_session.history, query, g_session.settings);
    EndDialog(dialog, IDOK);
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // the focus stays on the query box
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            OnOk(dialog);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (IsScopeButton(id)) {
            CheckRadioButton(dialog, IDC_SCOPE_FOLDER, IDC_SCOPE_ALL_ACCOUNTS, id);
            EnableIncludeAllFor(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        EndDialog(dialog, IDD_SEARCH_CLOSED);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    // Nothing may unwind through the system's dialog code: out of memory
    // ends the dialog as a cancel.
    try {
        return HandleMessage(dialog, message, wParam);
    } catch (...) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

void PlaceOnDesktop(HWND window) {
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    const ScreenPoint at = CentredPosition({desktop.left, desktop.top, desktop.right, desktop.bottom},
                                           {own.left, own.top, own.right, own.bottom});
    SetWindowPos(window, nullptr, static_cast<int>(at.x), static_cast<int>(at.y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR ShowSearchDialog(HWND owner) {
    return DialogBoxParamA(g_session.module, MAKEINTRESOURCEA(IDD_SEARCH), owner, SearchDialogProc, 0);
}
