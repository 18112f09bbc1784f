// The list under the query field that suggests completions of the term being
// typed. It is a standard list box holding its rows' texts (screen readers
// and every other reader of list boxes read them) in a popup owned
// by the dialog, never activated and never focused: typing goes on in the
// field, which hands it the keys it takes.
#pragma once

#include "query/suggestions.h"

#include <windows.h>

#include <cstddef>
#include <string>

struct SearchDialogState;

// Sent to the dialog when memory runs out in the list's own procedure: the
// dialog ends as it does for any such failure.
constexpr UINT kSuggestionsOutOfMemory = WM_APP + 1;

struct SuggestionList {
    HWND dialog = nullptr;
    HWND field = nullptr;  // the query field's edit control
    HWND window = nullptr; // made when first shown
    Suggestions shown;     // the rows listed
    std::size_t more = 0;  // rows that match past those, said in a last line
    const FavoriteSuggestions* favorites = nullptr; // asked for once, when "fav:" is typed
    bool favoritesAsked = false;
    bool composing = false; // an input method composition is open in the field
    bool keyTaken = false;  // the character of a key the list took is dropped
    bool taking = false;    // a row taken is being put in the field
    int tabStop = 0;        // where the descriptions start, in pixels
};

// Works out the rows for the field's text and caret, and shows, moves or
// closes the list. Memory running out throws.
void UpdateSuggestions(SuggestionList& list, const SearchDialogState& state);

void CloseSuggestions(SuggestionList& list);
void DestroySuggestions(SuggestionList& list);

// Before the field's own procedure: whether the list takes the message
// (↓ ↑ Enter Tab Esc while it is shown; and what closes it). Memory running
// out throws.
bool SuggestionListTakes(SuggestionList& list, UINT message, WPARAM wParam);

// After the field's own procedure: every change of the text updates the
// list (typing, deleting, an input method's text, a paste, a cut, Undo),
// moving the caret otherwise closes it. Memory running out throws.
void AfterFieldMessage(SuggestionList& list, const SearchDialogState& state, UINT message, WPARAM wParam);

// Draws a row of the list, for the dialog's WM_DRAWITEM; false when the item
// is not the list's. Memory running out throws.
bool DrawSuggestion(const SuggestionList& list, const DRAWITEMSTRUCT& item);

// What the field's WM_GETDLGCODE adds for `keyMessage`: the keys the list
// takes are kept from the dialog manager (Enter is not OK, Esc not Cancel).
LRESULT SuggestionKeysWanted(const SuggestionList& list, const MSG* keyMessage);
