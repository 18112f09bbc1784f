#include "dialog/suggestion_list.h"

#include "dialog/field_text.h"
#include "dialog/search_dialog.h"
#include "query/shift_jis.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The rows shown at most; the rest scroll.
constexpr int kRowsShown = 8;

// The list box class's own procedure, the same for every list box.
WNDPROC g_listBoxProcedure = nullptr;

bool Shown(const SuggestionList& list) {
    return list.window && IsWindowVisible(list.window);
}

// The highlighted row's text in place of the typed fragment, the caret after
// it; the list closes and the dialog stays. The rest of the field keeps
// every character as typed.
void TakeRow(SuggestionList& list, LRESULT index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.shown.rows.size())
        return;
    const FieldText field = ReadFieldToCaret(list.field, kSuggestedWithin);
    if (field.caret == std::string::npos)
        return;
    const std::size_t start = std::min(list.shown.fragmentStart, field.caret);
    const std::string row = SuggestionText(list.shown.rows[static_cast<std::size_t>(index)], list.favorites);
    CloseSuggestions(list);
    struct Taking {
        bool& flag;
        ~Taking() { flag = false; }
    } taking{list.taking = true};
    ReplaceBeforeCaret(list.field, field.caret - start, row);
}

// The longest line the list holds for a row, in bytes: a favourite's text
// may run to tens of kilobytes, of which a row shows the start.
constexpr std::size_t kLongestLine = 1024;

// A row as the list holds it, for drawing and for any reader (a screen
// reader asks the list box for its items' texts): what taking it puts in, a
// tab, what it means. Past the rows, the line that says how many more match.
std::string RowLine(const SuggestionList& list, std::size_t index) {
    if (index == list.shown.rows.size() && list.more)
        return MoreRowsLine(list.more);
    if (index >= list.shown.rows.size())
        return std::string();
    const SuggestionRow row = list.shown.rows[index];
    std::string line =
        SuggestionText(row, list.favorites) + '\t' + std::string(SuggestionDescription(row, list.favorites));
    if (line.size() > kLongestLine) {
        std::size_t cut = 0;
        while (cut < line.size()) {
            const std::size_t next = cut + ShiftJisCharLength(line.data(), cut, line.size());
            if (next > kLongestLine)
                break;
            cut = next;
        }
        line.resize(cut);
    }
    return line;
}

// A click takes the row under it; the list never takes activation or the
// focus, so typing goes on in the field. The list holds its rows' texts
// (LBS_HASSTRINGS), so every reader gets them from the system, in ANSI or in
// Unicode, and nothing is written past a reader's buffer.
LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* list = reinterpret_cast<SuggestionList*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: {
        const LRESULT hit = SendMessageA(window, LB_ITEMFROMPOINT, 0, lParam);
        if (list && HIWORD(hit) == 0) {
            try {
                TakeRow(*list, LOWORD(hit));
            } catch (...) {
                PostMessageA(list->dialog, kSuggestionsOutOfMemory, 0, 0);
            }
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        return 0;
    default:
        break;
    }
    return CallWindowProcA(g_listBoxProcedure, window, message, wParam, lParam);
}

HWND MakeListWindow(SuggestionList& list) {
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "ListBox", "",
                                        WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                                            LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                        0, 0, 0, 0, list.dialog, nullptr,
                                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list.dialog, GWLP_HINSTANCE)),
                                        nullptr);
    if (!window)
        return nullptr;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(list.field, WM_GETFONT, 0, 0));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (const HDC dc = GetDC(window)) {
        const HGDIOBJ before = SelectObject(dc, font);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, before);
        ReleaseDC(window, dc);
        SendMessageA(window, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
        // The descriptions line up after the longest target name.
        list.tabStop = 18 * metrics.tmAveCharWidth;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&list));
    g_listBoxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProcedure)));
    return window;
}

// The list holds the first kListedRows rows, and a line for the rest.
// Memory running out throws.
void Fill(SuggestionList& list) {
    const std::size_t listed = std::min(list.shown.rows.size(), kListedRows);
    list.more = list.shown.rows.size() - listed;
    list.shown.rows.resize(listed);
    std::vector<std::string> lines;
    lines.reserve(listed + 1);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < listed + (list.more ? 1 : 0); ++i) {
        lines.push_back(RowLine(list, i));
        bytes += lines.back().size() + 1;
    }
    const HWND window = list.window;
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    SendMessageA(window, LB_INITSTORAGE, lines.size(), bytes);
    for (const std::string& line : lines)
        SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    // Nothing highlighted: Enter confirms what was typed.
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

// Under the query box, reaching to the dialog's edge as the dropped history
// does (the descriptions and the favourites' queries need the room); above
// it where the screen's work area has no room below.
void Place(HWND window, HWND queryBox, std::size_t rows) {
    RECT box;
    GetWindowRect(queryBox, &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(queryBox, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const long rowHeight = std::max<long>(1, static_cast<long>(SendMessageA(window, LB_GETITEMHEIGHT, 0, 0)));
    const long height = static_cast<long>(std::min<std::size_t>(rows, kRowsShown)) * rowHeight +
                        2 * GetSystemMetrics(SM_CYBORDER);
    const long width = WidestListUnder(queryBox);
    long top = box.bottom;
    if (top + height > work.bottom && box.top - height >= work.top)
        top = box.top - height;
    const long left = std::clamp<long>(box.left, work.left, std::max<long>(work.left, work.right - width));
    SetWindowPos(window, HWND_TOP, static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                 static_cast<int>(height), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Over the rows that can be taken: the line for the rest is not one.
void MoveHighlight(HWND window, std::size_t rows, bool down) {
    const LRESULT count = static_cast<LRESULT>(rows);
    const LRESULT current = SendMessageA(window, LB_GETCURSEL, 0, 0);
    LRESULT next;
    if (down)
        next = current == LB_ERR ? 0 : std::min(current + 1, count - 1);
    else
        next = current == LB_ERR || current == 0 ? -1 : current - 1; // above the first: the typed text again
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
}

} // namespace

void UpdateSuggestions(SuggestionList& list, const SearchDialogState& state) {
    if (!state.suggest || list.composing) {
        CloseSuggestions(list);
        return;
    }
    const FieldText field = ReadFieldToCaret(list.field, kSuggestedWithin);
    if (field.caret == std::string::npos) {
        CloseSuggestions(list);
        return;
    }
    if (!list.favoritesAsked && state.favorites && AsksForFavorites(field.ansi, field.caret, state.separators)) {
        list.favoritesAsked = true;
        list.favorites = state.favorites();
    }
    Suggestions suggestions = Suggest(field.ansi, field.caret, state.separators, list.favorites);
    if (suggestions.rows.empty()) {
        CloseSuggestions(list);
        return;
    }
    if (!list.window && !(list.window = MakeListWindow(list)))
        return;
    list.shown = std::move(suggestions);
    Fill(list);
    Place(list.window, GetParent(list.field), list.shown.rows.size() + (list.more ? 1 : 0));
}

void CloseSuggestions(SuggestionList& list) {
    if (Shown(list))
        ShowWindow(list.window, SW_HIDE);
    list.shown.rows.clear();
    list.more = 0;
}

void DestroySuggestions(SuggestionList& list) {
    if (list.window)
        DestroyWindow(list.window);
    list.window = nullptr;
    list.shown.rows.clear();
    list.more = 0;
}

bool SuggestionListTakes(SuggestionList& list, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_KEYDOWN:
        list.keyTaken = false;
        if (!Shown(list))
            return false;
        switch (wParam) {
        case VK_DOWN:
        case VK_UP:
            MoveHighlight(list.window, list.shown.rows.size(), wParam == VK_DOWN);
            return true;
        case VK_RETURN:
        case VK_TAB: {
            const LRESULT highlighted = SendMessageA(list.window, LB_GETCURSEL, 0, 0);
            if (highlighted == LB_ERR)
                return false;
            TakeRow(list, highlighted);
            list.keyTaken = true;
            return true;
        }
        case VK_ESCAPE:
            CloseSuggestions(list);
            list.keyTaken = true;
            return true;
        case VK_F4:
            CloseSuggestions(list);
            return false;
        default:
            return false;
        }
    case WM_CHAR:
        if (list.keyTaken && (wParam == '\r' || wParam == '\t' || wParam == 0x1B)) {
            list.keyTaken = false;
            return true;
        }
        return false;
    case WM_IME_STARTCOMPOSITION:
        list.composing = true;
        CloseSuggestions(list);
        return false;
    case WM_IME_ENDCOMPOSITION:
        list.composing = false;
        return false;
    case WM_SYSKEYDOWN: // Alt+↓ drops the history, Alt+1 picks a scope
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
        CloseSuggestions(list);
        return false;
    default:
        return false;
    }
}

void AfterFieldMessage(SuggestionList& list, const SearchDialogState& state, UINT message, WPARAM wParam) {
    if (list.taking)
        return; // the row taken is in place: the list stays closed
    switch (message) {
    // Text put in otherwise than typed: by an input method (a replacement of
    // the selection, its characters, its result), a paste, a cut, Undo.
    case EM_REPLACESEL:
    case WM_IME_CHAR:
    case WM_IME_ENDCOMPOSITION:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        UpdateSuggestions(list, state);
        return;
    default:
        break;
    }
    if (message == WM_CHAR) {
        if (wParam >= 0x20 || wParam == '\b')
            UpdateSuggestions(list, state);
        else
            CloseSuggestions(list);
    } else if (message == WM_KEYDOWN) {
        if (wParam == VK_DELETE)
            UpdateSuggestions(list, state);
        else if (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_HOME || wParam == VK_END ||
                 ((wParam == VK_UP || wParam == VK_DOWN) && !Shown(list)))
            CloseSuggestions(list);
    }
}

bool DrawSuggestion(const SuggestionList& list, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_LISTBOX || !list.window || item.hwndItem != list.window)
        return false;
    const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        const std::string line = RowLine(list, item.itemID);
        const bool rest = item.itemID >= list.shown.rows.size();
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : rest ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        const int margin = 2;
        const int tab = std::max(list.tabStop, 1);
        TabbedTextOutA(item.hDC, item.rcItem.left + margin, item.rcItem.top + 1, line.c_str(),
                       static_cast<int>(line.size()), 1, &tab, item.rcItem.left + margin);
    }
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

LRESULT SuggestionKeysWanted(const SuggestionList& list, const MSG* keyMessage) {
    if (!Shown(list) || !keyMessage || keyMessage->message != WM_KEYDOWN)
        return 0;
    switch (keyMessage->wParam) {
    case VK_ESCAPE:
        return DLGC_WANTMESSAGE;
    case VK_RETURN:
    case VK_TAB:
        return SendMessageA(list.window, LB_GETCURSEL, 0, 0) != LB_ERR ? DLGC_WANTMESSAGE : 0;
    default:
        return 0;
    }
}
