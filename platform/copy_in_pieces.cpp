#include "platform/copy_in_pieces.h"

#include <algorithm>
#include <atomic>

namespace platform {

void CopyPace::Took(std::chrono::steady_clock::duration time) {
    auto us = std::max<long long>(std::chrono::duration_cast<std::chrono::microseconds>(time).count(), 1);
    long double wanted = static_cast<long double>(piece_) * static_cast<long double>(kAim.count()) / static_cast<long double>(us);
    std::size_t next = wanted >= kLargest ? kLargest : static_cast<std::size_t>(wanted) / kSmallest * kSmallest;
    piece_ = std::clamp(next, kSmallest, kLargest);
}

CopyEnd CopyInPieces(std::int64_t size, const CopyProgress& progress, const std::function<std::int64_t(std::size_t)>& move) {
    std::atomic<std::int64_t> copied{0};
    std::atomic<bool> stop{false};
    auto work = [&] {
        CopyPace pace;
        for (;;) {
            if (stop) return CopyEnd::Stopped;
            auto start = std::chrono::steady_clock::now();
            std::int64_t moved = move(pace.Piece());
            if (moved <= 0) return moved == 0 ? CopyEnd::Done : CopyEnd::Failed;
            copied += moved;
            pace.Took(std::chrono::steady_clock::now() - start);
        }
    };
    if (!progress || size <= static_cast<std::int64_t>(CopyPace().Piece())) return work();
    if (!progress(0, size)) return CopyEnd::Stopped;
    // The future waits for its thread when destroyed, and the mark makes the thread end soon, whatever
    // way this function is left.
    std::future<CopyEnd> ended = std::async(std::launch::async, work);
    struct StopOnExit {
        std::atomic<bool>& stop;
        ~StopOnExit() { stop = true; }
    } stopOnExit{stop};
    while (!WaitForCopy(ended)) {
        if (!progress(std::min(copied.load(), size - 1), size)) {
            stop = true;
            return ended.get() == CopyEnd::Done ? CopyEnd::Done : CopyEnd::Stopped;
        }
    }
    return ended.get();
}

}  // namespace platform
