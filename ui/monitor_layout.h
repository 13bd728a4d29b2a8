#pragma once
// Where the monitor window's controls sit in its 217 x 102 client area. The labels and pictures
// are painted on the window's own surface, the static texts and the usage bar are child windows;
// every one of them is cut at its own rectangle.

namespace vq {

inline constexpr int kMonitorClientWidth = 217;
inline constexpr int kMonitorClientHeight = 102;

// A control's rectangle: left and top in the client area, width and height.
struct ControlRect {
    int left, top, width, height;

    constexpr int Right() const { return left + width; }
    constexpr int Bottom() const { return top + height; }
};

namespace monitor_layout {

// The failure panel, docked to the bottom, the whole width.
inline constexpr ControlRect kErrorLabel{0, 52, 217, 50};
// The four status pictures share this place (one column left of the window): 39 x 40 for
// pictures of 40 x 40, whose last column is cut off.
inline constexpr ControlRect kStatusPicture{-1, 0, 39, 40};
// The state line under the picture; it sizes to its text from this corner.
inline constexpr ControlRect kLabel1{2, 37, 78, 14};
// The pie chart beside the balance rows.
inline constexpr ControlRect kImage1{3, 67, 32, 28};
inline constexpr ControlRect kDisplayUserName{48, 1, 153, 33};
inline constexpr ControlRect kTarif{4, 52, 210, 13};
inline constexpr ControlRect kTrafProgress{1, 92, 215, 10};
inline constexpr ControlRect kFullTitle{40, 89, 65, 13};
inline constexpr ControlRect kFullTraf{105, 89, 104, 13};
inline constexpr ControlRect kDayli{105, 77, 104, 13};
inline constexpr ControlRect kStaticText4{40, 77, 60, 13};
inline constexpr ControlRect kStaticText3{40, 65, 65, 13};
inline constexpr ControlRect kOstatok{105, 65, 104, 13};

}  // namespace monitor_layout
}  // namespace vq
