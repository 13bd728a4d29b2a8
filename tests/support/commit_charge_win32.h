#pragma once
// A process's private memory: its commit charge, which PROCESS_MEMORY_COUNTERS_EX holds twice, in
// PrivateUsage and in PagefileUsage. Each system fills one of them at least: Windows 7 only
// PrivateUsage (PagefileUsage is 0 there), Wine 8 only PagefileUsage (its private resident memory
// and swap; PrivateUsage stays 0). The larger of the two is the figure wherever the program runs.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>

namespace vq {

inline std::size_t CommitCharge(const PROCESS_MEMORY_COUNTERS_EX& counters) {
    return std::max(counters.PrivateUsage, counters.PagefileUsage);
}

}  // namespace vq
