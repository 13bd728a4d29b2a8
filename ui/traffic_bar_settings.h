#pragma once
// The monitor window's usage bar as it is set up: a flat glass bar of 4-pixel blocks with
// 1-pixel gaps, from light red to lime, the unfilled part shown in light grey from the far end,
// on white, out of 100.

#include "widgets/q_progress_bar.h"

namespace vq {

// Applies the settings in their stored order (position excepted).
void ApplyTrafficBarSettings(TQProgressBar& bar);

}  // namespace vq
