#include "dialog/reading_area.h"

#include "dialog/dialog_ids.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace {

// The area's height in lines: a misreading of up to two lines with a
// reading of two below it (an everyday query of three conditions), or a
// reading of four.
constexpr long kAreaLines = 4;
// A misreading takes at most this many, leaving the reading one.
constexpr long kMisreadingLinesAtMost = kAreaLines - 1;

const wchar_t kEllipsis[] = L"\u2026";

// The height `text` takes at `width` as the area's Statics lay it out.
long TextHeight(HWND control, const std::wstring& text, long width) {
    const HDC dc = GetDC(control);
    if (!dc)
        return 0;
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, ReadingTextFormat() | DT_CALCRECT);
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    return rect.bottom - rect.top;
}

RECT ClientRectInDialog(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND MakeStatic(HWND dialog, int id, DWORD style, const RECT& place, HFONT font) {
    const HWND control = CreateWindowExW(0, L"Static", L"", WS_CHILD | style, place.left, place.top,
                                         place.right - place.left, place.bottom - place.top, dialog,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (control)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// A tooltip over the reading, shown only while the reading is cut.
HWND MakeTooltip(HWND dialog, HWND reading) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    const HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (!tooltip)
        return nullptr;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every version of the controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(reading);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // Long readings wrap within half the screen.
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
    SendMessageW(tooltip, TTM_ACTIVATE, FALSE, 0);
    return tooltip;
}

void SetTooltipText(const ReadingArea& area, const std::wstring& text) {
    if (!area.tooltip)
        return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = GetParent(area.reading);
    tool.uId = reinterpret_cast<UINT_PTR>(area.reading);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(area.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(area.tooltip, TTM_ACTIVATE, area.cut, 0);
}

// Whether `text` takes more than `height` at `width`: measured only where it
// might fit, so that a pasted text of kilobytes costs no layout at each
// keystroke.
bool TooLong(const ReadingArea& area, HWND control, const std::wstring& text, long width, long height) {
    const long lines = std::max<long>(height / area.lineHeight, 1);
    if (static_cast<long long>(text.size()) * area.narrowest > static_cast<long long>(width) * lines)
        return true;
    return TextHeight(control, text, width) > height;
}

} // namespace

UINT ReadingTextFormat() {
    // What a Static of style SS_LEFT | SS_NOPREFIX draws with.
    return DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
}

long AddReadingArea(HWND dialog, ReadingArea& area) {
    const HWND queryBox = GetDlgItem(dialog, IDC_QUERY);
    const RECT box = ClientRectInDialog(queryBox);
    const RECT ok = ClientRectInDialog(GetDlgItem(dialog, IDOK));
    RECT gap = {0, 0, 0, 2};
    MapDialogRect(dialog, &gap);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    TEXTMETRICW metrics{};
    if (const HDC dc = GetDC(dialog)) {
        const HGDIOBJ before = SelectObject(dc, font);
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, before);
        ReleaseDC(dialog, dc);
    }
    area.lineHeight = std::max<long>(metrics.tmHeight, 8);
    // A bound safe for any proportional font: no character is narrower than
    // a third of the average.
    area.narrowest = std::max<long>(metrics.tmAveCharWidth / 3, 1);
    area.area = {box.left, box.bottom + gap.bottom, ok.right, box.bottom + gap.bottom + kAreaLines * area.lineHeight};
    // What stands below the field, from its first control down, moves down.
    long below = LONG_MAX;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = ClientRectInDialog(child);
        if (place.top >= box.bottom)
            below = std::min(below, place.top);
    }
    const long shift = below == LONG_MAX ? 0 : std::max<long>(0, area.area.bottom + gap.bottom - below);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = ClientRectInDialog(child);
        if (place.top >= box.bottom)
            SetWindowPos(child, nullptr, place.left, place.top + shift, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    area.reading = MakeStatic(dialog, IDC_READING, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, area.area, font);
    area.readingTop = area.area.top;
    return shift;
}

void ShowReading(ReadingArea& area, const std::wstring& misreading, const std::wstring& reading) {
    if (!area.reading || (misreading == area.misreadingShown && reading == area.readingShown))
        return;
    const long width = area.area.right - area.area.left;
    long top = area.area.top;
    HWND before = nullptr; // where a misreading made now goes among the dialog's windows: just before the reading
    if (!misreading.empty() && !area.misreading) {
        const HWND dialog = GetParent(area.reading);
        area.misreading = MakeStatic(dialog, IDC_MISREADING, SS_LEFT | SS_NOPREFIX, area.area,
                                     reinterpret_cast<HFONT>(SendMessageW(area.reading, WM_GETFONT, 0, 0)));
        before = GetWindow(area.reading, GW_HWNDPREV);
        before = before ? before : HWND_TOP;
    }
    if (area.misreading) {
        if (misreading.empty()) {
            if (!area.misreadingShown.empty()) {
                ShowWindow(area.misreading, SW_HIDE);
                SetWindowTextW(area.misreading, L"");
            }
        } else {
            // Whole: as many lines as it takes, the reading below.
            const long lines = std::clamp<long>(
                (TextHeight(area.misreading, misreading, width) + area.lineHeight - 1) / area.lineHeight, 1,
                kMisreadingLinesAtMost);
            SetWindowTextW(area.misreading, misreading.c_str());
            SetWindowPos(area.misreading, before, area.area.left, top, width, lines * area.lineHeight,
                         SWP_NOACTIVATE | (before ? 0 : SWP_NOZORDER));
            ShowWindow(area.misreading, SW_SHOWNA);
            top += lines * area.lineHeight;
        }
    }
    const long height = area.area.bottom - top;
    // Moved only when the misreading above it takes other lines: each move
    // costs Wine a round to its server at every keystroke.
    if (top != area.readingTop) {
        SetWindowPos(area.reading, nullptr, area.area.left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        area.readingTop = top;
    }
    SetWindowTextW(area.reading, reading.c_str());
    const bool wasCut = area.cut;
    area.cut = TooLong(area, area.reading, reading, width, height);
    // Cut, the reading is drawn by the dialog with "…" where it stops; its
    // text stays whole for screen readers.
    const LONG_PTR style = GetWindowLongPtrW(area.reading, GWL_STYLE);
    const LONG_PTR type = area.cut ? SS_OWNERDRAW : SS_LEFT;
    if ((style & SS_TYPEMASK) != type)
        SetWindowLongPtrW(area.reading, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | type);
    InvalidateRect(area.reading, nullptr, TRUE);
    // The tooltip is made the first time a reading is cut: a window of its
    // own costs the opening milliseconds, and most queries fit.
    if (area.cut && !area.tooltip)
        area.tooltip = MakeTooltip(GetParent(area.reading), area.reading);
    if (area.cut || wasCut)
        SetTooltipText(area, area.cut ? reading : std::wstring());
    area.misreadingShown = misreading;
    area.readingShown = reading;
}

bool DrawCutReading(const ReadingArea& area, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_STATIC || !area.reading || item.hwndItem != area.reading)
        return false;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_3DFACE));
    const int length = GetWindowTextLengthW(area.reading);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(area.reading, &text[0], length + 1), 0)));
    const long width = item.rcItem.right - item.rcItem.left;
    const long height = item.rcItem.bottom - item.rcItem.top;
    // No more of it than the lines could hold at the narrowest.
    const long lines = std::max<long>(height / area.lineHeight, 1);
    text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(width / area.narrowest * lines + 1)));
    // The longest start of the text that fits with "…" after it.
    std::size_t fits = 0, over = text.size() + 1;
    while (over - fits > 1) {
        const std::size_t middle = fits + (over - fits) / 2;
        if (TextHeight(area.reading, text.substr(0, middle) + kEllipsis, width) <= height)
            fits = middle;
        else
            over = middle;
    }
    if (fits > 0 && fits < text.size() && text[fits] >= 0xDC00 && text[fits] <= 0xDFFF)
        --fits; // not between the halves of a character
    const std::wstring shown = text.substr(0, fits) + kEllipsis;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    const HGDIOBJ before = SelectObject(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(area.reading, WM_GETFONT, 0, 0)));
    RECT rect = item.rcItem;
    DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &rect, ReadingTextFormat());
    SelectObject(item.hDC, before);
    return true;
}
