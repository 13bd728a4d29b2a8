#include "ui/tray_window_placement.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

constexpr WindowSize kWindow{217, 102};
constexpr WindowRect kScreen{0, 0, 1024, 768};

struct PlacementCase {
    const char* name;
    std::optional<WindowRect> icon;
    ScreenPoint pointer;
    WindowRect screen;
    ScreenPoint expected;
};

TEST(TrayWindowPositionTest, PlacesBesideTheIconOrThePointerAndKeepsOnTheWorkArea) {
    const PlacementCase cases[] = {
        // A tray at the bottom: above the icon, right edges aligned.
        {"icon at the bottom",
         WindowRect{900, 744, 924, 768},
         {0, 0},
         kScreen,
         {924 - 217, 744 - kTrayIconGap - 102}},
        // A tray at the top: no room above, so below the icon.
        {"icon at the top",
         WindowRect{900, 0, 924, 24},
         {0, 0},
         kScreen,
         {924 - 217, 24 + kTrayIconGap}},
        // An icon near the left edge: the window is moved right onto the screen.
        {"icon at the left",
         WindowRect{2, 744, 26, 768},
         {0, 0},
         kScreen,
         {0, 744 - kTrayIconGap - 102}},
        // No icon rectangle (StatusNotifierItem): the Windows hover place beside the pointer.
        {"pointer at the bottom",
         std::nullopt,
         {1000, 760},
         kScreen,
         {1000 - 217, 760 - 102 - kHoverGapAbovePointer}},
        {"pointer at the top",
         std::nullopt,
         {1000, 10},
         kScreen,
         {1000 - 217, 10 + kHoverGapAbovePointer}},
        // An empty rectangle counts as none.
        {"empty icon",
         WindowRect{5, 5, 5, 5},
         {600, 700},
         kScreen,
         {600 - 217, 700 - 102 - kHoverGapAbovePointer}},
        // A second screen to the right, work area below a top panel.
        {"second screen",
         WindowRect{2900, 0, 2920, 20},
         {0, 0},
         WindowRect{1920, 28, 2944, 796},
         {2920 - 217, 28}},
        // A work area smaller than the window: its top-left corner wins.
        {"tiny screen", std::nullopt, {50, 50}, WindowRect{0, 0, 100, 80}, {0, 0}},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(TrayWindowPosition(c.icon, c.pointer, kWindow, c.screen), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace vq
