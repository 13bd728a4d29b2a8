#pragma once
// Whether the X desktop composes windows: a compositing manager owns the selection
// _NET_WM_CM_S<screen>. Only then can a window be partly transparent, as the drop shadow is.

namespace vq {

// Asks the X server named by DISPLAY; false when it cannot be reached.
bool DesktopComposites();

}  // namespace vq
