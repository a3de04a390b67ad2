#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Ends the test program when one test runs far longer than any test should: a test that waits for a
// click nobody makes would otherwise hold the whole run until CTest's own limit, and say nothing of
// where it hung. The missing report then counts as a failure.
class Watchdog final : public testing::EmptyTestEventListener {
public:
    static constexpr std::chrono::seconds kLimit{120};

    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog() override {
        {
            std::lock_guard lock(mutex_);
            ended_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    void OnTestStart(const testing::TestInfo& test) override {
        std::lock_guard lock(mutex_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        deadline_ = std::chrono::steady_clock::now() + kLimit;
    }
    void OnTestEnd(const testing::TestInfo&) override {
        std::lock_guard lock(mutex_);
        name_.clear();
    }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        while (!ended_) {
            wake_.wait_for(lock, std::chrono::seconds(1));
            if (!name_.empty() && std::chrono::steady_clock::now() > deadline_) {
                std::fprintf(stderr, "%s has run for more than %lld s: the test program ends here\n", name_.c_str(),
                             static_cast<long long>(kLimit.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string name_;
    std::chrono::steady_clock::time_point deadline_;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    auto& listeners = testing::UnitTest::GetInstance()->listeners();
    auto* watchdog = new Watchdog;
    listeners.Append(watchdog);
    int result = RUN_ALL_TESTS();
    delete listeners.Release(watchdog);
    return result;
}
