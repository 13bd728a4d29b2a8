#pragma once
// One program per desktop, and the newest one wins: a starting process asks the monitor window of
// an earlier one to close, and "Переподключиться" simply starts the program again.

#include <windows.h>

#include <chrono>
#include <filesystem>

#include "ui/monitor_window_identity.h"

namespace vq {

// How long a start waits for an earlier instance to handle WM_CLOSE. An instance that does not
// answer in that time gets WM_CLOSE posted, to handle when it can; the new one starts anyway.
inline constexpr std::chrono::milliseconds kTakeoverTimeout{5000};

enum class TakeoverResult { NoEarlierInstance, Closed, NotAnswering };

// Finds the top-level window with exactly that class and title on this desktop and sends it
// WM_CLOSE, waiting until it has been handled or the time-out has passed; when the wait runs out
// (NotAnswering), WM_CLOSE is posted instead.
TakeoverResult CloseEarlierInstance(std::chrono::milliseconds timeout = kTakeoverTimeout);

// Starts the executable again through the shell ("open", no parameters, its own folder as the
// working folder, SW_SHOW). The result is not examined: a failure leaves this process as it is.
void RelaunchProgram(const std::filesystem::path& executable);

}  // namespace vq
