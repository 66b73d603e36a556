#pragma once
// The wait for the focus after a window has been brought forward: the window
// manager or compositor hands it over in its own time, and the keys of a TYPE
// line that follows must not arrive before.
#include <chrono>
#include <thread>

namespace wendrel {

// How long a window may take to get the focus.
inline constexpr std::chrono::milliseconds kFocusWait{500};

// Asks arrived() every 10 ms until it is true or kFocusWait has passed.
template <class Arrived> void awaitFocus(Arrived arrived) {
    const auto until = std::chrono::steady_clock::now() + kFocusWait;
    while (!arrived() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace wendrel
