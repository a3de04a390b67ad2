#pragma once
// One Sync or undo at a time in the user's session, whichever copy of the program runs it: a lock held
// for the whole of each. A holder that ends without letting go (killed, crashed) leaves it free, so a
// Sync still holding it is one whose program still runs.
#include <cstdint>

namespace platform {

class SessionLock {
public:
    // Takes the lock at once if it is free; never waits.
    SessionLock();
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    bool Held() const { return handle_ != kNone; }
    // Whether someone else holds it now: another copy of the program, or another thread.
    static bool HeldElsewhere();

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // a file descriptor, or a Windows mutex
};

}  // namespace platform
