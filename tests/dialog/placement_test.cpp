#include "dialog/placement.h"

#include <gtest/gtest.h>

#include <vector>

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

// The dialog goes to the screen that holds the main window: the one with
// the largest share of it, the nearest when it is on none.
TEST(ScreenOf, IsTheScreenWithTheLargestShareOfTheWindow) {
    const ScreenRect primary{0, 0, 1920, 1080};
    const ScreenRect right{1920, 0, 3200, 1024};
    const ScreenRect left{-1280, 0, 0, 1024};
    const ScreenRect above{0, -1080, 1920, 0};
    const std::vector<ScreenRect> two = {primary, right};
    const std::vector<ScreenRect> three = {primary, left, above};
    struct Case {
        const char* name;
        std::vector<ScreenRect> screens;
        ScreenRect window;
        ScreenRect screen;
        ScreenPoint at; // of a 400 x 200 dialog
    };
    const Case cases[] = {
        {"one screen", {primary}, {100, 100, 900, 700}, primary, {760, 440}},
        {"on the second screen", two, {2000, 100, 3000, 900}, right, {2360, 412}},
        {"on a screen to the left", three, {-1200, 50, -200, 800}, left, {-840, 412}},
        {"on a screen above", three, {100, -900, 1000, -100}, above, {760, -640}},
        {"straddling, more on the right", two, {1700, 0, 2700, 800}, right, {2360, 412}},
        {"straddling, more on the left", two, {1000, 0, 2100, 800}, primary, {760, 440}},
        {"on no screen: the nearest", two, {3500, 2000, 3900, 2400}, right, {2360, 412}},
    };
    for (const Case& c : cases) {
        const ScreenRect screen = ScreenOf(c.screens, c.window);
        EXPECT_TRUE(screen.left == c.screen.left && screen.top == c.screen.top && screen.right == c.screen.right &&
                    screen.bottom == c.screen.bottom)
            << c.name;
        const ScreenPoint at = CentredPosition(screen, {0, 0, 400, 200});
        EXPECT_EQ(at.x, c.at.x) << c.name;
        EXPECT_EQ(at.y, c.at.y) << c.name;
    }
}

} // namespace
