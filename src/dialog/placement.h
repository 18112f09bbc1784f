// Where the search dialog goes: centred on the desktop, but never beyond its
// left or top edge. Portable arithmetic.
#pragma once

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

// The top-left corner for a window of `window`'s size on `desktop`.
ScreenPoint CentredPosition(const ScreenRect& desktop, const ScreenRect& window);
