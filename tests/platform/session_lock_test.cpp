#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/session_lock.h"

namespace {

using platform::SessionLock;

#ifndef _WIN32
// The stand-in's lock file lies in a folder of the test's own, apart from any other test run.
class OwnTemporaryFolder {
public:
    OwnTemporaryFolder() {
        const char* before = std::getenv("TMPDIR");
        if (before) before_ = before;
        char pattern[] = "/tmp/mirv98-lock-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
        setenv("TMPDIR", path_.c_str(), 1);
    }
    ~OwnTemporaryFolder() {
        if (before_) setenv("TMPDIR", before_->c_str(), 1);
        else unsetenv("TMPDIR");
        std::remove((path_ + "/mirv98-" + std::to_string(getuid()) + ".lock").c_str());
        std::remove(path_.c_str());
    }

private:
    std::string path_;
    std::optional<std::string> before_;
};
#else
struct OwnTemporaryFolder {};
#endif

// Another holder is another thread here: on Windows a mutex belongs to a thread, and the native
// stand-in's lock to an open file.
TEST(SessionLock, OneHolderAtATimeAndFreeAgainWhenItLetsGo) {
    [[maybe_unused]] OwnTemporaryFolder own;
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
    {
        SessionLock second;
        EXPECT_FALSE(second.Held());
    }
    release.set_value();
    other.join();
    EXPECT_FALSE(SessionLock::HeldElsewhere());
    SessionLock again;
    EXPECT_TRUE(again.Held());
}

}  // namespace
