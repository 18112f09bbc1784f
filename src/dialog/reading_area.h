// The area under the query field that reads the query back, between the
// field and the group box. It has a fixed height, four lines of the
// dialog's font, so the dialog does not jump as the user types. Two
// standard Static controls share it (screen readers read them):
//   - the misreading (IDC_MISREADING): "※", why, and the fix; wrapped and
//     drawn whole, above the reading, only while there is one (made the
//     first time there is one: a window made as the dialog opens slows it);
//   - the reading (IDC_READING): drawn whole where it fits; else cut with
//     "…" on its last line, and shown whole in a tooltip over it. Its text
//     stays whole either way.
#pragma once

#include <windows.h>

#include <string>

struct ReadingArea {
    HWND misreading = nullptr;
    HWND reading = nullptr;
    HWND tooltip = nullptr;
    RECT area{};      // in the dialog's client coordinates
    long lineHeight = 0;
    long narrowest = 1; // no character of the font is narrower, in pixels
    long readingTop = 0; // where the reading stands now, in the dialog's client coordinates
    bool cut = false;   // the reading does not fit: it is drawn cut, and the tooltip shows it
    std::wstring misreadingShown, readingShown; // as last shown: the same again costs nothing
};

// Makes room under the query box: what stands below it moves down. Returns
// how much taller the dialog must be, which its placement makes it. Memory
// running out throws.
long AddReadingArea(HWND dialog, ReadingArea& area);

// Shows a misreading (empty: none) and the reading. Memory running out throws.
void ShowReading(ReadingArea& area, const std::wstring& misreading, const std::wstring& reading);

// Draws the reading while it is cut, for the dialog's WM_DRAWITEM; false
// when the item is not the reading's. Memory running out throws.
bool DrawCutReading(const ReadingArea& area, const DRAWITEMSTRUCT& item);

// How a Static of the area lays out its text (what DrawTextW is given).
UINT ReadingTextFormat();
