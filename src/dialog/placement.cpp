#include "dialog/placement.h"

#include <algorithm>

namespace {

long long Overlap(const ScreenRect& a, const ScreenRect& b) {
    const long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// The square of the distance between two rectangles; 0 where they touch.
long long DistanceSquared(const ScreenRect& a, const ScreenRect& b) {
    const long long dx = std::max({0L, a.left - b.right, b.left - a.right});
    const long long dy = std::max({0L, a.top - b.bottom, b.top - a.bottom});
    return dx * dx + dy * dy;
}

} // namespace

ScreenRect ScreenOf(const std::vector<ScreenRect>& screens, const ScreenRect& window) {
    const ScreenRect* best = &screens.front();
    for (const ScreenRect& screen : screens) {
        const long long share = Overlap(screen, window);
        const long long bestShare = Overlap(*best, window);
        if (share > bestShare || (bestShare == 0 && share == 0 &&
                                  DistanceSquared(screen, window) < DistanceSquared(*best, window)))
            best = &screen;
    }
    return *best;
}

ScreenPoint CentredPosition(const ScreenRect& screen, const ScreenRect& window) {
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    ScreenPoint at{(screen.left + screen.right) / 2 - width / 2, (screen.top + screen.bottom) / 2 - height / 2};
    // Left and top first: a window larger than the screen keeps its
    // caption and its left edge in view.
    if (at.x < screen.left)
        at.x = screen.left;
    else if (at.x + width > screen.right)
        at.x = screen.right - width;
    if (at.y < screen.top)
        at.y = screen.top;
    else if (at.y + height > screen.bottom)
        at.y = screen.bottom - height;
    return at;
}
