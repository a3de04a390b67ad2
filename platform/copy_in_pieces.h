#pragma once
// A file's bytes moved in pieces on a thread of their own, while the caller's thread hears how far the
// copy has come every few milliseconds and may stop it: a window that lets its messages run then stays
// responsive however long one read or write of a slow drive takes. Both file systems' copies use it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>

#include "platform/file_ops.h"

namespace platform {

// How much a piece moves: 1 MiB, the fastest size measured under Wine (larger buffers leave the
// processor's cache), or less on a slow drive (a stick written through, a share), where pieces shrink
// to about kAim each so that a stop is carried out soon. A copy holds at most kLargest bytes at a time.
class CopyPace {
public:
    static constexpr std::size_t kSmallest = 64 * 1024;
    static constexpr std::size_t kLargest = 1024 * 1024;
    static constexpr std::chrono::microseconds kAim{20'000};

    std::size_t Piece() const { return piece_; }
    // The last piece took this long: the next one is sized to take about kAim at the same speed.
    void Took(std::chrono::steady_clock::duration time);

private:
    std::size_t piece_ = kLargest;
};

enum class CopyEnd { Done, Failed, Stopped };

// move copies the next piece of at most the given size and answers the bytes it moved: 0 at the end of
// the source, -1 when it failed (it keeps the system's error for its caller). progress, when given, is
// told before a file larger than one piece is copied and then at least every 10 ms while it is (on
// Windows also as soon as a window message arrives for the calling thread: progress is to let it run),
// with the bytes moved so far (below size); its false stops the copy at the end of the piece under
// way. A file of one piece, or a copy nobody hears of, is copied on the calling thread.
CopyEnd CopyInPieces(std::int64_t size, const CopyProgress& progress, const std::function<std::int64_t(std::size_t)>& move);

// Waits at most 10 ms for the copy to end, or on Windows for a window message. True when it has ended.
bool WaitForCopy(std::future<CopyEnd>& ended);

}  // namespace platform
