#pragma once
// Where the monitor window goes while the pointer rests on the tray icon, and where it is parked
// otherwise. The window is shown with its right edge at the pointer and its bottom edge 32 pixels
// above it; parked, it waits hidden above and left of the screen's origin. No correction is made
// for the screen's edges.

#include <optional>

namespace vq {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

inline constexpr int kHoverGapAbovePointer = 32;
inline constexpr int kParkingMargin = 30;

// (X − W, Y − H − 32).
ScreenPoint HoverPosition(ScreenPoint pointer, WindowSize size);
// (−(W + 30), −(H + 30)).
ScreenPoint ParkingPosition(WindowSize size);

// What showing and parking need of the monitor window. Every placement keeps the size, puts the
// window into the topmost band and does not activate it.
class HoverWindow {
public:
    virtual ~HoverWindow() = default;
    virtual std::optional<ScreenPoint> CursorPos() = 0;
    virtual WindowSize OuterSize() = 0;
    virtual void PlaceShown(ScreenPoint topLeft) = 0;
    virtual void PlaceHidden(ScreenPoint topLeft) = 0;
    // The window's visible mark as the program keeps it: set by the ordinary show, never cleared
    // by parking.
    virtual bool VisibleMark() = 0;
    // The ordinary show of a window (normal state, activating) that sets the visible mark.
    virtual void ShowNormal() = 0;
    virtual void Repaint() = 0;
    virtual void UpdateShadowPosition() = 0;
};

// The pointer entered the tray icon: the window is shown beside it. The first time, while the
// visible mark is not set yet, the window is also shown the ordinary way, repainted whole, and
// placed a second time. Nothing happens when the pointer position cannot be read.
void ShowBesidePointer(HoverWindow& window);

// The pointer left the tray icon.
void ParkHidden(HoverWindow& window);

}  // namespace vq
