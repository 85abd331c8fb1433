// Counts the allocations made through the global operator new, which this
// program replaces, while counting is switched on.
#pragma once

#include <cstdint>

namespace orvane::bench {

void startCountingAllocations();
void stopCountingAllocations();
std::uint64_t countedAllocations();

} // namespace orvane::bench
