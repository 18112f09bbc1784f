#include "dialog/search_dialog.h"

#include "dialog/dialog_ids.h"
#include "dialog/field_text.h"
#include "dialog/placement.h"
#include "dialog/reading_area.h"
#include "dialog/suggestion_list.h"
#include "query/reading.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// What the dialog procedure works with, handed over at WM_INITDIALOG and
// kept with the window.
struct DialogContext {
    const SearchDialogState& state;
    SearchDialogChoice& choice;
    WNDPROC editProcedure = nullptr; // the query field's own
    std::wstring textBeforeList;     // the field's text when the list dropped down
    SuggestionList suggestions{};
    ReadingArea reading{};
};

// Posted to the dialog to read the field again once a change is complete.
constexpr UINT kUpdateReading = WM_APP + 2;

DialogContext& ContextOf(HWND dialog) {
    return *reinterpret_cast<DialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The edit field inside the query box: all reading and writing of the query
// goes through it.
HWND QueryEdit(HWND dialog) {
    return GetWindow(GetDlgItem(dialog, IDC_QUERY), GW_CHILD);
}

// The check box means something only for whole accounts.
void EnableIncludeAllFor(HWND dialog, int scope) {
    EnableWindow(GetDlgItem(dialog, IDC_INCLUDE_ALL), scope == kScopeCurrentAccount || scope == kScopeAllAccounts);
}

// Long queries differ at their ends: the dropped list is as wide as its
// longest entry needs, from the box's width up to the dialog's right edge.
long ListWidth(HWND queryBox, const RECT& box) {
    long width = box.right - box.left;
    const long widest = WidestListUnder(queryBox);
    const HDC dc = GetDC(queryBox);
    if (!dc)
        return width;
    const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(queryBox, WM_GETFONT, 0, 0)));
    const LRESULT entries = SendMessageA(queryBox, CB_GETCOUNT, 0, 0);
    std::string text;
    for (LRESULT i = 0; i < entries && width < widest; ++i) {
        const LRESULT length = SendMessageA(queryBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0)
            continue;
        text.resize(static_cast<std::size_t>(length) + 1);
        SendMessageA(queryBox, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        SIZE extent{};
        // Past the widest, the rest of a long query is not measured.
        const int measured = static_cast<int>(std::min<LRESULT>(length, 512));
        if (GetTextExtentPoint32A(dc, text.c_str(), measured, &extent))
            width = std::max(width, extent.cx + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE));
    }
    SelectObject(dc, font);
    ReleaseDC(queryBox, dc);
    return std::min(width, widest);
}

// The history list, dropped down, shows every entry it holds (the history
// is kept to the saved length), scrolling only where the screen has no
// room. Classic controls take the dropped list's height from the box's
// window height (the template's 30 units give one row); version 6 controls
// take the number of rows from CB_SETMINVISIBLE. Both are set as the list
// is about to drop (the box's size cannot change while it is down): the
// template stays as it is.
void SizeHistoryList(HWND queryBox) {
    const std::size_t entries =
        static_cast<std::size_t>(std::max<LRESULT>(SendMessageA(queryBox, CB_GETCOUNT, 0, 0), 0));
    const LRESULT rowHeight = SendMessageA(queryBox, CB_GETITEMHEIGHT, 0, 0);
    RECT box;
    if (rowHeight <= 0 || !GetWindowRect(queryBox, &box))
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(queryBox, MONITOR_DEFAULTTONEAREST), &monitor);
    // The list drops below the box, or above it where there is more room;
    // a row's height is kept for its borders.
    const long room = std::max(monitor.rcWork.bottom - box.bottom, box.top - monitor.rcWork.top);
    const long fitting = room / static_cast<long>(rowHeight) - 1;
    long rows = static_cast<long>(std::max<std::size_t>(entries, 1));
    if (fitting >= 1)
        rows = std::min(rows, fitting);
    SendMessageA(queryBox, CB_SETMINVISIBLE, static_cast<WPARAM>(rows), 0);
    SendMessageA(queryBox, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(ListWidth(queryBox, box)), 0);
    const long height = box.bottom - box.top + rows * static_cast<long>(rowHeight) + 2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(queryBox, nullptr, 0, 0, box.right - box.left, static_cast<int>(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dropped list keeps its height as entries go: it loses the rows it no
// longer fills, from the side away from the box.
void FitDroppedList(HWND queryBox) {
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    RECT list, box, client;
    if (!GetComboBoxInfo(queryBox, &combo) || !GetWindowRect(combo.hwndList, &list) ||
        !GetWindowRect(queryBox, &box) || !GetClientRect(combo.hwndList, &client))
        return;
    const LRESULT rowHeight = SendMessageA(combo.hwndList, LB_GETITEMHEIGHT, 0, 0);
    const LRESULT entries = SendMessageA(combo.hwndList, LB_GETCOUNT, 0, 0);
    if (rowHeight <= 0 || entries < 1)
        return;
    const long spare = client.bottom / static_cast<long>(rowHeight) - static_cast<long>(entries);
    if (spare <= 0)
        return;
    const long height = list.bottom - list.top - spare * static_cast<long>(rowHeight);
    const long top = list.bottom <= box.top ? list.bottom - height : list.top; // dropped above the box
    SetWindowPos(combo.hwndList, nullptr, list.left, static_cast<int>(top), list.right - list.left,
                 static_cast<int>(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Delete (or Shift+Delete) on the highlighted entry of the dropped list
// removes it, as the address bars of browsers do. The list then behaves as
// any drop-down list does: the entry that takes the place (or the one above
// the last) is highlighted and shown in the field. When none is left, the
// list closes and the field gets back what it held before the list dropped.
bool RemoveHighlightedEntry(HWND dialog, DialogContext& context) {
    const HWND queryBox = GetDlgItem(dialog, IDC_QUERY);
    if (!SendMessageA(queryBox, CB_GETDROPPEDSTATE, 0, 0))
        return false;
    const LRESULT highlighted = SendMessageA(queryBox, CB_GETCURSEL, 0, 0);
    if (highlighted == CB_ERR)
        return false;
    const LRESULT left = SendMessageA(queryBox, CB_DELETESTRING, static_cast<WPARAM>(highlighted), 0);
    if (context.state.removeEntry)
        context.state.removeEntry(static_cast<std::size_t>(highlighted));
    if (left > 0) {
        SendMessageA(queryBox, CB_SETCURSEL, static_cast<WPARAM>(std::min(highlighted, left - 1)), 0);
        FitDroppedList(queryBox);
        SendMessageA(queryBox, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    } else {
        SendMessageA(queryBox, CB_SHOWDROPDOWN, FALSE, 0);
        SetWindowTextW(QueryEdit(dialog), context.textBeforeList.c_str());
    }
    return true;
}

// The line under the query field: the field's text read back as it will be
// searched. Only the text's start is read (kReadBytes and a little more), so
// a pasted text of megabytes costs no more than a line's worth. A character
// the mail client cannot receive is named as it was typed.
void UpdateReading(HWND dialog) {
    DialogContext& context = ContextOf(dialog);
    if (!context.reading.reading)
        return;
    // Every UTF-16 unit makes at least half a byte (a surrogate pair, one "?").
    const FieldText field = ReadField(QueryEdit(dialog), 2 * kReadBytes + 4, true);
    const QueryReading reading =
        ReadQuery(field.ansi, field.caret == std::string::npos ? field.ansi.size() : field.caret,
                  context.state.separators, context.suggestions.favorites, field.unconverted);
    std::wstring misreading = WideText(reading.line.substr(0, reading.misreadingLength));
    if (reading.namedAt < reading.misreadingLength) {
        const std::size_t before = WideText(reading.line.substr(0, reading.namedAt)).size();
        misreading.replace(before, 1, field.firstUnconverted);
    }
    ShowReading(context.reading, misreading, WideText(reading.line.substr(reading.readingStart)));
}

// The field's text, and the caret, change with these.
bool ChangesTextOrCaret(UINT message) {
    switch (message) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_LBUTTONUP:
    case WM_SETTEXT:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_REPLACESEL:
    case EM_SETSEL:
    case EM_UNDO:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        return true;
    default:
        return false;
    }
}

// The query field's procedure, put in front of its own for Delete on the
// dropped list and for the suggestion list; nothing may unwind through the
// system's code from here either: memory running out ends the dialog as the
// dialog's own procedure does.
LRESULT CALLBACK QueryEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND dialog = GetParent(GetParent(edit));
    DialogContext& context = ContextOf(dialog);
    try {
        if (message == WM_KEYDOWN && wParam == VK_DELETE && RemoveHighlightedEntry(dialog, context))
            return 0;
        if (message == WM_GETDLGCODE)
            return CallWindowProcW(context.editProcedure, edit, message, wParam, lParam) |
                   SuggestionKeysWanted(context.suggestions, reinterpret_cast<const MSG*>(lParam));
        if (SuggestionListTakes(context.suggestions, message, wParam))
            return 0;
        const LRESULT result = CallWindowProcW(context.editProcedure, edit, message, wParam, lParam);
        AfterFieldMessage(context.suggestions, context.state, message, wParam);
        if (ChangesTextOrCaret(message))
            UpdateReading(dialog);
        return result;
    } catch (...) {
        context.choice.ranOutOfMemory = true;
        EndDialog(dialog, IDCANCEL);
        return 0;
    }
}

void SwitchInputMethodOff(HWND dialog) {
    if (const HIMC context = ImmGetContext(dialog)) {
        if (ImmGetOpenStatus(context))
            ImmSetOpenStatus(context, FALSE);
        ImmReleaseContext(dialog, context);
    }
}

void OnInitDialog(HWND dialog, DialogContext& context) {
    const SearchDialogState& state = context.state;
    const long taller = AddReadingArea(dialog, context.reading);
    PlaceOnOwnersScreen(dialog, GetWindow(dialog, GW_OWNER), taller);
    const HWND queryBox = GetDlgItem(dialog, IDC_QUERY);
    SendMessageA(queryBox, CB_LIMITTEXT, 0, 0);
    // Subclassed as a Unicode window, so that it stays one.
    context.editProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        QueryEdit(dialog), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QueryEditProcedure)));
    context.suggestions.dialog = dialog;
    context.suggestions.field = QueryEdit(dialog);
    SetFocus(queryBox);
    // Explicit positions keep the history's order in spite of CBS_SORT; the
    // list is not drawn while it fills.
    SendMessageA(queryBox, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < state.history.size(); ++i)
        SendMessageA(queryBox, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(state.history[i].c_str()));
    SendMessageA(queryBox, WM_SETREDRAW, TRUE, 0);
    CheckRadioButton(dialog, IDC_SCOPE_FOLDER, IDC_SCOPE_ALL_ACCOUNTS, state.scope);
    CheckDlgButton(dialog, IDC_INCLUDE_ALL, state.includeAll ? BST_CHECKED : BST_UNCHECKED);
    if (state.scope == kScopeCurrentFolder || state.scope == kScopeWithSubfolders)
        EnableWindow(GetDlgItem(dialog, IDC_INCLUDE_ALL), FALSE);
    // A text the field opens with is selected whole, as in the system's
    // Find and Run dialogs: typing replaces it, Enter searches it.
    if (!state.initialText.empty()) {
        SetWindowTextA(QueryEdit(dialog), state.initialText.c_str());
        SendMessageA(queryBox, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
    if (state.closeInputMethod)
        SwitchInputMethodOff(dialog);
    UpdateReading(dialog);
}

void OnOk(HWND dialog, const SearchDialogState& state, SearchDialogChoice& choice) {
    choice.scope = state.scope;
    for (int id = IDC_SCOPE_FOLDER; id <= IDC_SCOPE_ALL_ACCOUNTS; ++id) {
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
            choice.scope = id;
            break;
        }
    }
    choice.includeAll = IsDlgButtonChecked(dialog, IDC_INCLUDE_ALL) == BST_CHECKED;
    choice.confirmed = true;
    // Nothing copied counts as an empty field.
    std::string query = WindowText(QueryEdit(dialog));
    if (query.empty()) {
        EndDialog(dialog, IDCANCEL);
        return;
    }
    choice.query = std::move(query);
    EndDialog(dialog, IDOK);
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        if (ContextOf(dialog).state.openWindow)
            *ContextOf(dialog).state.openWindow = dialog;
        OnInitDialog(dialog, ContextOf(dialog));
        return FALSE; // the focus stays on the query box
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        // What the field holds before an entry of the list is highlighted:
        // as the list drops down, and as it is typed while the list is down.
        if (id == IDC_QUERY && HIWORD(wParam) == CBN_DROPDOWN) {
            CloseSuggestions(ContextOf(dialog).suggestions);
            SizeHistoryList(GetDlgItem(dialog, IDC_QUERY));
        }
        if (id == IDC_QUERY && (HIWORD(wParam) == CBN_DROPDOWN ||
                                (HIWORD(wParam) == CBN_EDITCHANGE &&
                                 SendMessageA(GetDlgItem(dialog, IDC_QUERY), CB_GETDROPPEDSTATE, 0, 0))))
            ContextOf(dialog).textBeforeList = TypedText(QueryEdit(dialog));
        // A history entry picked is in the field once the box is done.
        if (id == IDC_QUERY && (HIWORD(wParam) == CBN_SELCHANGE || HIWORD(wParam) == CBN_EDITCHANGE ||
                                HIWORD(wParam) == CBN_CLOSEUP))
            PostMessageA(dialog, kUpdateReading, 0, 0);
        if (id == IDOK) {
            OnOk(dialog, ContextOf(dialog).state, ContextOf(dialog).choice);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (IsScope(id)) {
            CheckRadioButton(dialog, IDC_SCOPE_FOLDER, IDC_SCOPE_ALL_ACCOUNTS, id);
            EnableIncludeAllFor(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        EndDialog(dialog, IDD_SEARCH_CLOSED);
        return TRUE;
    // The suggestion list goes with the dialog's place and activation, and
    // with the dialog itself.
    case WM_MOVE: // also before WM_INITDIALOG, with no context yet
        if (GetWindowLongPtrA(dialog, DWLP_USER))
            CloseSuggestions(ContextOf(dialog).suggestions);
        return FALSE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && GetWindowLongPtrA(dialog, DWLP_USER))
            CloseSuggestions(ContextOf(dialog).suggestions);
        return FALSE;
    case WM_DESTROY:
        if (GetWindowLongPtrA(dialog, DWLP_USER))
            DestroySuggestions(ContextOf(dialog).suggestions);
        return FALSE;
    case WM_DRAWITEM: {
        if (!GetWindowLongPtrA(dialog, DWLP_USER))
            return FALSE;
        const DRAWITEMSTRUCT& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return DrawSuggestion(ContextOf(dialog).suggestions, item) || DrawCutReading(ContextOf(dialog).reading, item);
    }
    case kUpdateReading:
        if (GetWindowLongPtrA(dialog, DWLP_USER))
            UpdateReading(dialog);
        return TRUE;
    case kSuggestionsOutOfMemory:
        ContextOf(dialog).choice.ranOutOfMemory = true;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

// Nothing may unwind through the system's dialog code: running out of memory
// (a pasted text of many megabytes) ends the dialog as a cancel, marked so
// that the run can say why.
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(dialog, message, wParam, lParam);
    } catch (...) {
        if (GetWindowLongPtrA(dialog, DWLP_USER))
            ContextOf(dialog).choice.ranOutOfMemory = true;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

} // namespace

long WidestListUnder(HWND queryBox) {
    RECT box, dialog;
    if (!GetWindowRect(queryBox, &box) || !GetClientRect(GetParent(queryBox), &dialog))
        return 0;
    MapWindowPoints(GetParent(queryBox), nullptr, reinterpret_cast<POINT*>(&dialog), 2);
    return std::max(box.right - box.left, dialog.right - box.left - GetSystemMetrics(SM_CXEDGE));
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return std::string();
    // The length may count more than there is (double-byte text): keep what
    // was copied.
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

namespace {

ScreenRect Screen(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Nothing may unwind through the system's code: with no memory for the
// list, the dialog goes on the desktop's middle.
BOOL CALLBACK AddScreen(HMONITOR, HDC, LPRECT rect, LPARAM screens) {
    auto& list = *reinterpret_cast<std::vector<ScreenRect>*>(screens);
    try {
        list.push_back(Screen(*rect));
        return TRUE;
    } catch (...) {
        list.clear();
        return FALSE;
    }
}

// Where a window stands, or would stand if it is minimised.
RECT PlaceOf(HWND window) {
    RECT rect{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (IsIconic(window) && GetWindowPlacement(window, &placement))
        return placement.rcNormalPosition;
    GetWindowRect(window, &rect);
    return rect;
}

} // namespace

void PlaceOnOwnersScreen(HWND window, HWND owner, long taller) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    std::vector<ScreenRect> screens;
    if (owner)
        EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
    const ScreenRect screen = screens.empty() ? Screen(desktop) : ScreenOf(screens, Screen(PlaceOf(owner)));
    RECT own;
    GetWindowRect(window, &own);
    own.bottom += taller;
    const ScreenPoint at = CentredPosition(screen, Screen(own));
    SetWindowPos(window, nullptr, static_cast<int>(at.x), static_cast<int>(at.y), own.right - own.left,
                 own.bottom - own.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

SearchDialogChoice ShowSearchDialog(HINSTANCE module, HWND owner, const SearchDialogState& state) {
    SearchDialogChoice choice;
    DialogContext context{state, choice, nullptr, std::wstring()};
    // A Unicode dialog: its field keeps every character typed, pasted or put
    // in by an input method; what the run takes is its ANSI text.
    choice.result = DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_SEARCH), owner, SearchDialogProc,
                                    reinterpret_cast<LPARAM>(&context));
    if (state.openWindow)
        *state.openWindow = nullptr;
    return choice;
}
