// The search dialog: query box with the history, four scope buttons and the
// include-all check box.
#pragma once

#include <windows.h>

// Shows dialog 101 of the plug-in's module, owned by `owner`. Returns IDOK
// when a query was confirmed (it is then the front of the history), IDCANCEL
// for Escape or an empty query, 16 when closed, -1 when it could not be shown.
INT_PTR ShowSearchDialog(HWND owner);

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Centres a top-level window on the desktop.
void PlaceOnDesktop(HWND window);
