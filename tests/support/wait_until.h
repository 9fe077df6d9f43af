// Waiting in a test for what another thread or process does in its own
// time. Header-only, so that tests of every layer can use it.
#pragma once

#include <chrono>
#include <thread>

// Polls until done() holds or timeout passes; returns done(). The pause is
// short, as some tests call it to do a thread's part (a drain) often.
template <class Condition>
bool WaitUntil(Condition&& done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
