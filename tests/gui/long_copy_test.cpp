// A Sync of one very large file: the window keeps answering, its progress bar moves during the file,
// and a Stop in the middle of the file ends the run at once, leaving no copy behind.
#include "tests/gui/gui_fixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

using namespace gui_testing;
namespace ids = app::ids;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kSize = std::int64_t{2} << 30;  // 2 GiB, past every 32-bit count

// Another thread that sends the window messages the whole time, as a user's clicks and the system's
// checks for a hung window would, and reads the progress bar with each of them.
class Watcher {
public:
    // act, when given, runs on the watcher's thread at every position of the bar, until it says done.
    Watcher(HWND window, HWND bar, std::function<bool(int position)> act = {})
        : thread_([this, window, bar, act = std::move(act)] {
              bool acted = !act;
              while (running_) {
                  DWORD_PTR position = 0;
                  auto sent = Clock::now();
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
                  auto answered = Clock::now();
                  SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
                  longest_ = std::max({longest_.load(), answered - sent, Clock::now() - answered});
                  int now = static_cast<int>(position);
                  if (now > last_) ++rises_;
                  last_ = now;
                  if (!acted) acted = act(now);
              }
              ended_ = true;
          }) {}
    ~Watcher() { Stop(); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    // Ends the thread; the window's thread must not wait for it while it sends.
    void Stop() {
        running_ = false;
        MSG msg;
        while (!ended_) PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        if (thread_.joinable()) thread_.join();
    }
    // The longest the window took to answer a message, and how often the bar moved on.
    Clock::duration longest() const { return longest_; }
    int rises() const { return rises_; }

private:
    std::atomic<bool> running_{true}, ended_{false};
    std::atomic<Clock::duration> longest_{};
    std::atomic<int> rises_{0};
    int last_ = 0;
    std::thread thread_;
};

class LongCopy : public PairTest {
protected:
    void SetUp() override {
        PairTest::SetUp();
        // A Sync asks the Recycle Bin about both drives before its first item, which under Wine reads
        // the whole trash of the test run (a few tenths of a second here, more as tests fill it): that
        // is no copy, and nothing of this Sync would go to the bin.
        SetValue("userecycle", "false");
        // The copy goes into memory where the machine has a tmpfs: what is measured is the window, not
        // how the host's disk writes back 2 GiB (which holds every file operation meanwhile, the end of
        // the run's own among them).
        std::error_code error;
        const std::filesystem::path shm = "Z:/dev/shm";
        if (std::filesystem::is_directory(shm, error)) {
            destination_ = shm / ("mirv98-long-copy-" + std::to_string(GetCurrentProcessId()));
            std::filesystem::create_directories(destination_, error);
            SetValue("remote", destination_.string());
        }
        // Sparse: made at once, read back as zeros without touching the disk.
        HANDLE file = CreateFileW((first.path() / "huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = kSize;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    void TearDown() override {
        std::error_code error;
        if (!destination_.empty()) std::filesystem::remove_all(destination_, error);
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    // The Second Folder, where the copy goes.
    std::filesystem::path Destination() const { return destination_.empty() ? second.path() : destination_; }
    bool CopyLeftInSecond() {
        for (const auto& e : std::filesystem::directory_iterator(Destination()))
            if (e.path().filename() == "huge.bin" || e.path().filename().string().find("~mirv98") != std::string::npos)
                return true;
        return false;
    }

private:
    std::filesystem::path destination_;
};

TEST_F(LongCopy, TheWindowAnswersAndItsBarMovesDuringTheFile) {
    // The machine's other work can hold Wine's server or the X server for a moment, which no window
    // can help; a window that the copy itself holds misses in every Sync, so a second Sync may make up
    // for the first.
    Clock::duration longest{};
    for (int sync = 0; sync < 2 && (sync == 0 || longest >= std::chrono::milliseconds(100)); ++sync) {
        std::filesystem::remove_all(Destination());
        std::filesystem::create_directories(Destination());
        Start();
        Click(ids::bLoad);
        ASSERT_EQ(main().state().lists.rFileAdd1.size(), 1u);
        Watcher watcher(main().hwnd(), Control(ids::pb1));
        Click(ids::bSync);
        watcher.Stop();
        EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
        EXPECT_EQ(std::filesystem::file_size(Destination() / "huge.bin"), static_cast<std::uintmax_t>(kSize));
        EXPECT_GE(watcher.rises(), 5);
        longest = watcher.longest();
    }
    EXPECT_LT(longest, std::chrono::milliseconds(100));
}

// Stop where it is shown (a Load run syncing at once), and where a Sync from the button has none, the
// close box and log-off: each acts inside the file as between files.
TEST_F(LongCopy, AStopACloseOrLogOffInsideTheFileEndTheRunAtOnceAndLeaveNoCopy) {
    const struct {
        const char* name;
        bool loadRun;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"Stop in a Load run", true, WM_COMMAND, MAKEWPARAM(ids::bStop, BN_CLICKED)},
        {"the close box during a Sync", false, WM_CLOSE, 0},
        {"log-off during a Sync", false, WM_QUERYENDSESSION, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetValue("autodortdata", c.loadRun ? "true" : "false");
        // As in the test above, a second try may make up for a moment the machine held Wine's servers; a
        // copy that holds the run misses every time.
        Clock::duration took = Clock::duration::max();
        for (int attempt = 0; attempt < 2 && took >= std::chrono::milliseconds(200); ++attempt) {
            Start();
            HWND window = main().hwnd();
            if (!c.loadRun) Click(ids::bLoad);
            std::atomic<Clock::rep> sent{0};
            // Sent once the bar is well into the file: the Sync's own step showed 100 at its start.
            Watcher watcher(window, Control(ids::pb1), [&](int position) {
                if (position < 20 || position > 80) return false;
                sent = Clock::now().time_since_epoch().count();
                PostMessageW(window, c.message, c.wParam, c.loadRun ? reinterpret_cast<LPARAM>(Control(ids::bStop)) : 0);
                return true;
            });
            Click(c.loadRun ? ids::bLoad : ids::bSync);
            auto ended = Clock::now();
            watcher.Stop();
            Pump();  // a closed window's quit message
            ASSERT_NE(sent.load(), 0) << "the bar never showed the middle of the file";
            took = ended - Clock::time_point(Clock::duration(sent.load()));
            EXPECT_FALSE(CopyLeftInSecond());
            if (c.loadRun) {
                EXPECT_EQ(main().PanelText(app::kPanelMessage), "Sync stopped: 1 item not done");
                EXPECT_TRUE(Visible(ids::bLoad));  // the run has ended
                EXPECT_FALSE(Visible(ids::bStop));
            } else {
                EXPECT_FALSE(IsWindow(window));
            }
        }
        EXPECT_LT(took, std::chrono::milliseconds(200));
    }
}

}  // namespace
