// Where the search dialog goes: centred on the screen that holds the mail
// client's main window, and kept on it. Portable arithmetic.
#pragma once

#include <vector>

struct ScreenRect {
    long left;
    long top;
    long right;
    long bottom;
};

struct ScreenPoint {
    long x;
    long y;
};

// The screen a window is on, as the system chooses it: the one with the
// largest share of the window; when it is on none, the nearest. The first
// of equals wins. `screens` must not be empty.
ScreenRect ScreenOf(const std::vector<ScreenRect>& screens, const ScreenRect& window);

// The top-left corner for a window of `window`'s size centred on `screen`,
// never beyond its left or top edge.
ScreenPoint CentredPosition(const ScreenRect& screen, const ScreenRect& window);
