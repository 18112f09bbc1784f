#include "dialog/placement.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char* name;
    ScreenRect desktop;
    ScreenRect window;
    ScreenPoint at;
};

TEST(CentredPosition, CentresAndKeepsTheTopLeftInView) {
    const PlacementCase cases[] = {
        {"centred", {0, 0, 1024, 768}, {0, 0, 400, 200}, {312, 284}},
        {"already elsewhere", {0, 0, 1024, 768}, {900, 700, 1300, 900}, {312, 284}},
        {"odd sizes truncate", {0, 0, 1025, 769}, {0, 0, 401, 201}, {312, 284}},
        {"desktop not at the origin", {-1280, -100, 0, 924}, {0, 0, 400, 200}, {-840, 312}},
        {"wider than the desktop", {0, 0, 800, 600}, {0, 0, 1000, 200}, {0, 200}},
        {"taller than the desktop", {0, 0, 800, 600}, {0, 0, 200, 900}, {300, 0}},
        {"larger on a shifted desktop", {100, 50, 500, 350}, {0, 0, 1000, 1000}, {100, 50}},
        {"negative halves truncate toward zero", {-3, -3, 0, 0}, {0, 0, 1, 1}, {-1, -1}},
    };
    for (const PlacementCase& c : cases) {
        const ScreenPoint at = CentredPosition(c.desktop, c.window);
        EXPECT_EQ(at.x, c.at.x) << c.name;
        EXPECT_EQ(at.y, c.at.y) << c.name;
    }
}

} // namespace
