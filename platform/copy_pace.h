#pragma once
// How much of a file a copy moves between two words to its caller. Large pieces cost nothing in
// speed; on a slow drive (a stick written through, a share) the pieces shrink, so that the caller
// hears from the copy about every 20 ms and the window it pumps never waits long. A copy holds at
// most kLargest bytes at a time.
#include <algorithm>
#include <chrono>
#include <cstddef>

namespace platform {

class CopyPace {
public:
    static constexpr std::size_t kSmallest = 64 * 1024;
    static constexpr std::size_t kLargest = 4 * 1024 * 1024;
    static constexpr std::chrono::microseconds kAim{20'000};

    std::size_t Piece() const { return piece_; }

    // The last piece took this long: the next one is sized to take about kAim at the same speed.
    void Took(std::chrono::steady_clock::duration time) {
        auto us = std::max<long long>(std::chrono::duration_cast<std::chrono::microseconds>(time).count(), 1);
        long double wanted = static_cast<long double>(piece_) * static_cast<long double>(kAim.count()) /
                             static_cast<long double>(us);
        std::size_t next = wanted >= kLargest ? kLargest : static_cast<std::size_t>(wanted) / kSmallest * kSmallest;
        piece_ = std::clamp(next, kSmallest, kLargest);
    }

private:
    std::size_t piece_ = 1024 * 1024;
};

}  // namespace platform
