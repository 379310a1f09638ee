#pragma once

#include <chrono>
#include <thread>

namespace tvx::test {

// Waits for something another thread brings about. The deadline only ends a hang: nothing
// here depends on how fast the machine is.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; !pred(); std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

}  // namespace tvx::test
