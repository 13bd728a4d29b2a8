#pragma once
// vq-probe --loop: the client's real authorization worker, with the console standing in for the
// monitor window.

#include <ostream>

#include "auth/http_client.h"
#include "tools/vq-probe/probe.h"

namespace vq::probe {

// Runs until Ctrl-C or for options.passes passes; returns the exit status.
int RunLoop(const Options& options, const HttpClientSettings& settings, std::ostream& out);

}  // namespace vq::probe
