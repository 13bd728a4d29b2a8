// Showing the monitor window beside the pointer and parking it, with the window as a recording
// fake.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/hover_placement.h"

namespace vq {
namespace {

class RecordingWindow final : public HoverWindow {
public:
    std::optional<ScreenPoint> pointer{ScreenPoint{1000, 700}};
    bool visibleMark = false;
    std::vector<std::string> calls;

    std::optional<ScreenPoint> CursorPos() override { return pointer; }
    WindowSize OuterSize() override { return {217, 102}; }
    void PlaceShown(ScreenPoint p) override { calls.push_back(At("show", p)); }
    void PlaceHidden(ScreenPoint p) override { calls.push_back(At("hide", p)); }
    bool VisibleMark() override { return visibleMark; }
    void ShowNormal() override {
        visibleMark = true;
        calls.push_back("show normal");
    }
    void Repaint() override { calls.push_back("repaint"); }
    void UpdateShadowPosition() override { calls.push_back("shadow"); }

private:
    static std::string At(const char* what, ScreenPoint p) {
        return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
    }
};

TEST(HoverPlacement, Arithmetic) {
    EXPECT_EQ(HoverPosition({1000, 700}, {217, 102}), (ScreenPoint{783, 566}));
    // A taskbar at the top: the window goes above the screen and stays there.
    EXPECT_EQ(HoverPosition({150, 10}, {217, 102}), (ScreenPoint{-67, -124}));
    EXPECT_EQ(ParkingPosition({217, 102}), (ScreenPoint{-247, -132}));
}

TEST(HoverPlacement, FirstHoverShowsRepaintsAndPlacesTwiceLaterOnesOnce) {
    RecordingWindow window;
    ShowBesidePointer(window);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"show 783,566", "show normal", "repaint",
                                                      "shadow", "show 783,566", "shadow"}));

    window.calls.clear();
    ParkHidden(window);
    window.pointer = ScreenPoint{500, 400};
    ShowBesidePointer(window);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"hide -247,-132", "show 283,266", "shadow"}));
}

TEST(HoverPlacement, UnreadablePointerLeavesTheWindowAlone) {
    RecordingWindow window;
    window.pointer.reset();
    ShowBesidePointer(window);
    EXPECT_TRUE(window.calls.empty());
}

}  // namespace
}  // namespace vq
