#pragma once

#include <chrono>
#include <thread>

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// Asks `done` until it answers true or the timeout has passed, pausing
// between questions; returns its last answer. It is always asked at least
// once, and once more at the deadline.
template <typename Done>
bool waitUntil(Milliseconds timeout, Milliseconds pause, Done&& done)
{
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(pause);
    }
    return true;
}
