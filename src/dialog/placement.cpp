#include "dialog/placement.h"

ScreenPoint CentredPosition(const ScreenRect& desktop, const ScreenRect& window) {
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    ScreenPoint at{(desktop.left + desktop.right) / 2 - width / 2, (desktop.top + desktop.bottom) / 2 - height / 2};
    // Left and top first: a window larger than the desktop keeps its
    // caption and its left edge in view.
    if (at.x < desktop.left)
        at.x = desktop.left;
    else if (at.x + width > desktop.right)
        at.x = desktop.right - width;
    if (at.y < desktop.top)
        at.y = desktop.top;
    else if (at.y + height > desktop.bottom)
        at.y = desktop.bottom - height;
    return at;
}
