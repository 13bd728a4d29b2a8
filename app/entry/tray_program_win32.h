#pragma once
// The tray program from its entry to the end of its message loop: vq.exe's wWinMain runs it as it
// is; the start-up and rest figures of scripts/bench run it again with a worker whose pauses are
// shorter, so that a thousand status reports take minutes instead of hours.

#include <windows.h>

#include <functional>
#include <memory>

#include "auth/worker_time.h"

namespace vq {

// Closes an earlier instance, creates the monitor window (which starts the worker and puts the
// icon into the notification area) and the hidden about window, and runs the message loop until
// the monitor window closes. Returns the process's exit code. workerTime: as ProgramStart's.
int RunTrayProgram(HINSTANCE instance,
                   std::function<std::shared_ptr<WorkerTime>()> workerTime = {});

}  // namespace vq
