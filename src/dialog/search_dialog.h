// The search dialog: query box with the history, four scope buttons and the
// include-all check box. It shows what it is given and hands back what the
// user chose; the search run applies that.
#pragma once

#include "dialog/query_history.h"
#include "query/suggestions.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

// What the dialog shows as it opens.
struct SearchDialogState {
    const std::string& initialText; // put into the query field unless empty
    const QueryHistory& history;    // the drop-down list, newest first
    int scope;                      // the scope button checked
    bool includeAll;                // the check box
    bool closeInputMethod;          // switch the input method off
    HWND* openWindow;               // set to the dialog while it is open, if given
    // Called with its place when the user removes an entry of the list
    // (Delete on the highlighted entry of the dropped list): the dialog has
    // taken it out of its list, the history is to lose it at once.
    std::function<void(std::size_t place)> removeEntry = nullptr;
    // A list under the query field suggests completions of the term typed.
    bool suggest = false;
    Separators separators = Separators::Space;
    // The favourites for the list, asked for when "fav:" is first typed;
    // null when there are none to offer.
    std::function<const FavoriteSuggestions*()> favorites = nullptr;
};

// What the user chose.
struct SearchDialogChoice {
    // IDOK when a query was confirmed; IDCANCEL for Escape or OK on an empty
    // query field; 16 when closed by its close box; -1 when it could not be
    // shown.
    INT_PTR result = -1;
    // OK was pressed, with or without a query: the scope and the check box
    // below are the user's, to be kept.
    bool confirmed = false;
    int scope = 0;
    bool includeAll = false;
    std::string query; // with IDOK: exactly as typed, not trimmed
    // The dialog ended because memory ran out (say so; it counts as a cancel).
    bool ranOutOfMemory = false;
};

// Shows dialog 101 of `module`, owned by `owner`.
SearchDialogChoice ShowSearchDialog(HINSTANCE module, HWND owner, const SearchDialogState& state);

// A window's text, as the ANSI functions give it. Memory running out throws.
std::string WindowText(HWND window);

// How wide a list under the query box may be: from the box's left to the
// dialog's right edge, and never narrower than the box.
long WidestListUnder(HWND queryBox);

// Centres a top-level window on the screen that holds its owner (the
// primary screen without one), within that screen, made `taller` pixels
// taller on the way: one move for both.
void PlaceOnOwnersScreen(HWND window, HWND owner, long taller);
