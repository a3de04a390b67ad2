#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/session_lock.h"

namespace {

using platform::SessionLock;

// Another holder is another thread here: on Windows a mutex belongs to a thread, and the native
// stand-in's lock to an open file.
TEST(SessionLock, OneHolderAtATimeAndFreeAgainWhenItLetsGo) {
    EXPECT_FALSE(SessionLock::HeldElsewhere());
    std::promise<void> taken, release;
    std::thread other([&] {
        SessionLock lock;
        EXPECT_TRUE(lock.Held());
        taken.set_value();
        release.get_future().wait();
    });
    taken.get_future().wait();
    EXPECT_TRUE(SessionLock::HeldElsewhere());
    EXPECT_FALSE(SessionLock().Held());
    release.set_value();
    other.join();
    EXPECT_FALSE(SessionLock::HeldElsewhere());
    EXPECT_TRUE(SessionLock().Held());
}

}  // namespace
