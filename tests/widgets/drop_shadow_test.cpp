#include "widgets/drop_shadow.h"
#include "widgets/shadow_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vq {
namespace {

std::string Text(const WindowRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// Records what the shadow asks of the window system, in order.
class FakePlatform : public DropShadowPlatform {
public:
    std::optional<WindowRect> owner;
    bool ownerVisible = true;
    std::vector<std::string> calls;
    PixelSurface face;

    std::optional<WindowRect> OwnerRect() override { return owner; }
    bool OwnerVisible() override { return ownerVisible; }
    void PlaceShadow(const WindowRect& rect) override { calls.push_back("place " + Text(rect)); }
    void SetShadowFace(PixelSurface f) override {
        calls.push_back("face " + std::to_string(f.Width()) + "x" + std::to_string(f.Height()));
        face = std::move(f);
    }
    void ShowShadow(bool visible) override { calls.push_back(visible ? "show" : "hide"); }
};

class DropShadowTest : public ::testing::Test {
protected:
    const PixelSurface frame_ = GenerateShadowFrame();
    FakePlatform platform_;
    DropShadow shadow_{platform_, frame_};
};

TEST_F(DropShadowTest, FirstPlacementPlacesPaintsThenShows) {
    EXPECT_EQ(shadow_.LastDrawedRect(), WindowRect{});
    platform_.owner = WindowRect{500, 400, 717, 502};
    shadow_.ForceUpdatePosition();
    EXPECT_EQ(platform_.calls,
              (std::vector<std::string>{"place 470,373,747,535", "face 277x162", "show"}));
    EXPECT_EQ(shadow_.LastDrawedRect(), (WindowRect{0, 0, 277, 162}));
    EXPECT_EQ(platform_.face, RenderShadowFace(frame_, 277, 162));
}

TEST_F(DropShadowTest, MoveRepositionsWithoutRepaintAndResizeRepaints) {
    shadow_.OwnerPositionChanged({500, 400, 717, 502});
    ASSERT_EQ(shadow_.FacesPainted(), 1);
    struct Case {
        const char* name;
        WindowRect owner;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"move", {10, 20, 227, 122}, {"place -20,-7,257,155", "show"}},
        {"width only", {10, 20, 237, 122}, {"place -20,-7,267,155", "face 287x162", "show"}},
        {"move again", {-247, -132, -20, -30}, {"place -277,-159,10,3", "show"}},
        {"height only", {0, 0, 227, 110}, {"place -30,-27,257,143", "face 287x170", "show"}},
        {"both", {0, 0, 217, 102}, {"place -30,-27,247,135", "face 277x162", "show"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform_.calls.clear();
        shadow_.OwnerPositionChanged(c.owner);
        EXPECT_EQ(platform_.calls, c.calls);
        EXPECT_EQ(shadow_.LastDrawedRect(),
                  (WindowRect{0, 0, c.owner.Width() + 60, c.owner.Height() + 60}));
    }
    EXPECT_EQ(shadow_.FacesPainted(), 4);
}

TEST_F(DropShadowTest, VisibilityFollowsTheOwnersFlagAndUnreadableOwnerHides) {
    platform_.owner = WindowRect{0, 0, 217, 102};
    platform_.ownerVisible = false;
    shadow_.ForceUpdatePosition();
    EXPECT_EQ(platform_.calls.back(), "hide");

    platform_.calls.clear();
    platform_.owner.reset();
    shadow_.ForceUpdatePosition();
    EXPECT_EQ(platform_.calls, (std::vector<std::string>{"hide"}));

    platform_.calls.clear();
    platform_.ownerVisible = true;
    shadow_.OwnerPositionChanged({5, 5, 222, 107});
    EXPECT_EQ(platform_.calls, (std::vector<std::string>{"place -25,-22,252,140", "show"}));
}

}  // namespace
}  // namespace vq
