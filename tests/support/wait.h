// The one way a test waits: for a condition, looking again every few
// milliseconds, until it holds or the deadline passes. Never for a time.
#pragma once

#include <chrono>
#include <thread>

namespace orvane::test {

template <typename Condition> bool waitUntil(Condition condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool met = condition();
    for (; !met && std::chrono::steady_clock::now() < end; met = condition()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return met;
}

} // namespace orvane::test
