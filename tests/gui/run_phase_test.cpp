// What the user can do while a Load pass, a Sync or a wait for Next is under way: every command
// tried in the middle of a real step over real folders.
#include "tests/gui/gui_fixture.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/sync_report.h"
#include "review/commands.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;
using app::Phase;

// Runs a test step at every message pump of this thread: the user's clicks arrive wherever a step
// lets messages run, even in a Load pass that lasts a few milliseconds. Another thread sends to a
// message-only window of the test's; a thread's pump handles such a message at its next look at
// the queue. The send gives up after a while, so that a step that pumps messages itself (a modal
// dialog opened where none should be) sees the next one.
class EveryPump {
public:
    explicit EveryPump(std::function<void()> step) : step_(std::move(step)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &EveryPump::Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EveryPump";
        RegisterClassW(&wc);
        window_ = CreateWindowW(L"EveryPump", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        sender_ = std::thread([this] {
            while (running_) SendMessageTimeoutW(window_, WM_APP, 0, 0, SMTO_NORMAL, 20, nullptr);
            ended_ = true;
        });
    }
    ~EveryPump() {
        running_ = false;
        // The sender may wait for this thread to take its message.
        MSG msg;
        while (!ended_) PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        sender_.join();
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    EveryPump(const EveryPump&) = delete;
    EveryPump& operator=(const EveryPump&) = delete;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<EveryPump*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message != WM_APP || !self || !self->running_) return DefWindowProcW(hwnd, message, wParam, lParam);
        self->step_();
        return 0;
    }
    std::function<void()> step_;
    HWND window_ = nullptr;
    std::atomic<bool> running_{true}, ended_{false};
    std::thread sender_;
};

constexpr int kFiles = 400;
constexpr int kLargeFiles = 3000;

class MidRun : public PairTest {
protected:
    // A First Folder large enough for its scan to let messages run a few times.
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        large_ = new testing_support::TempFolder;
        for (int i = 0; i < kLargeFiles; ++i) large_->Write("L" + std::to_string(i % 30) + "\\l" + std::to_string(i), "x");
    }
    static void TearDownTestSuite() { delete large_; }
    static testing_support::TempFolder* large_;

    void SetUp() override {
        PairTest::SetUp();
        SetValue("usewiz", "false");
        for (int i = 0; i < kFiles; ++i)
            first.Write("F" + std::to_string(i % 8) + "\\f" + std::to_string(i) + ".txt", "file " + std::to_string(i));
    }

    // A click that reaches the window whatever the button's state (queued before it went grey).
    void Command(int id) {
        SendMessageW(main().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    Phase Current() { return main().state().phases.Current(); }
    int Copied() {
        int n = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(second.path())) n += e.is_regular_file();
        return n;
    }
    // Pairs of the multi-directory mode: a First Folder with this test's Second Folder, then empty ones.
    void Pairs(int count, const std::string& firstFolder) {
        std::string firsts = firstFolder + "\r\n", seconds = second.Core() + "\r\n";
        for (int i = 1; i < count; ++i) {
            firsts += folder.Core("a" + std::to_string(i)) + "\r\n";
            seconds += folder.Core("b" + std::to_string(i)) + "\r\n";
        }
        folder.Write("mirv4.dat", ":ldir\r\n" + firsts + "\r\n:rdir\r\n" + seconds + "\r\n");
        SetValue("usemulti", "true");
    }
    bool Waiting() { return Current() == Phase::WaitForNext && !main().state().nextRequested; }
    // In the middle of the phase's work: copying, evaluating, or waiting.
    bool MidStep(Phase phase) {
        switch (phase) {
        case Phase::SyncStep:
        case Phase::Undo: return Current() == phase && SendMessageW(Control(ids::pb1), PBM_GETPOS, 0, 0) > 0;
        case Phase::LoadPass: return Current() == phase && Visible(ids::bStop);  // the scan runs
        case Phase::WaitForNext: return Waiting();
        case Phase::Idle:
        case Phase::Modal: break;
        }
        return false;
    }

    // Everything a refused command could disturb.
    struct Snapshot {
        std::vector<size_t> sizes;
        std::string local, remote, field1, field2, storedLocal, storedRemote;
        bool stop, next, optionsShown;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take() {
        const auto& l = main().state().lists;
        return {{l.lvLocal.size(), l.lvRemote.size(), l.lFileAdd1.size(), l.rFileAdd1.size(), l.lUpdate1.size(),
                 l.rUpdate1.size(), l.ldelfile1.size(), l.rdelfile1.size(), l.lignfile1.size(), l.rignfile1.size()},
                main().state().LocalFolder,
                main().state().RemoteFolder,
                Text(ids::lFolder1),
                Text(ids::rFolder1),
                platform::ReadProgramValue("local"),
                platform::ReadProgramValue("remote"),
                main().state().stopRequested,
                main().state().nextRequested,
                optionsShown_};
    }

    struct Probe {
        const char* name;
        bool refusedInWait;
        std::function<void(MidRun&)> act;
    };
    static const std::vector<Probe>& Probes();

    // Tries every probe that the phase refuses, at the first tick of the script inside it.
    void ProbeDuring(Phase phase, const std::function<void()>& start) {
        bool probed = false;
        EveryPump script([&] {
            // A regression would open the Options dialog inside a probe: close it, and say so.
            HWND options = application->fOptions().hwnd();
            if (IsWindowVisible(options)) {
                optionsShown_ = true;
                SendMessageW(options, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            if (probed || !MidStep(phase)) return;
            probed = true;
            for (const Probe& probe : Probes()) {
                if (phase == Phase::WaitForNext && !probe.refusedInWait) continue;
                SCOPED_TRACE(probe.name);
                Snapshot before = Take();
                probe.act(*this);
                EXPECT_TRUE(Take() == before);
            }
            if (phase == Phase::WaitForNext) Click(ids::bNext);
        });
        start();
        EXPECT_TRUE(probed);
    }

    bool optionsShown_ = false;
};

testing_support::TempFolder* MidRun::large_ = nullptr;

const std::vector<MidRun::Probe>& MidRun::Probes() {
    static const std::vector<Probe> probes = {
        {"menu Load Items", true, [](MidRun& t) { t.Command(ids::Load1); }},
        {"the Load button after a browse", true,
         [](MidRun& t) {
             t.main().EnableButton(app::Button::Load, true);  // what a picked folder does
             EXPECT_FALSE(t.Enabled(ids::bLoad));
             t.Command(ids::bLoad);
         }},
        {"the automatic Load's tick", true,
         [](MidRun& t) { SendMessageW(t.main().hwnd(), WM_TIMER, ids::tLoad, 0); }},
        {"the Options button", true, [](MidRun& t) { t.Command(ids::bOptions); }},
        {"menu Options", true, [](MidRun& t) { t.Command(ids::Options1); }},
        {"typing in a folder field and leaving it", true,
         [](MidRun& t) {
             SendMessageW(t.Control(ids::lFolder1), WM_CHAR, 'x', 0);
             SendMessageW(t.main().hwnd(), WM_COMMAND, MAKEWPARAM(ids::lFolder1, EN_KILLFOCUS),
                          reinterpret_cast<LPARAM>(t.Control(ids::lFolder1)));
             EXPECT_FALSE(t.Enabled(ids::lFolderBrowse));
         }},
        {"a browse button", true, [](MidRun& t) { t.Command(ids::rFolderBrowse); }},
        {"Delete on an add list", false,
         [](MidRun& t) {
             t.main().state().ActiveList = review::krFileAdd1;
             ListView_SetItemState(t.Control(ids::rFileAdd1), 0, LVIS_SELECTED, LVIS_SELECTED);
             t.Command(ids::DeleteFile1);
         }},
        {"menu Synchronize", false, [](MidRun& t) { t.Command(ids::Synchronize1); }},
        {"Next", false, [](MidRun& t) { t.Command(ids::bNext); }},
    };
    return probes;
}

TEST_F(MidRun, CommandsThatWouldChangeWhatAStepReadsAreRefused) {
    struct Case {
        const char* name;
        Phase phase;
        bool large, multi;
    };
    for (Case c : {Case{"a Sync", Phase::SyncStep, false, false}, Case{"a Load pass", Phase::LoadPass, true, false},
                   Case{"the wait for Next", Phase::WaitForNext, false, true}}) {
        SCOPED_TRACE(c.name);
        const std::string chosen = c.large ? large_->Core() : first.Core();
        SetValue("local", chosen);
        if (c.multi) Pairs(2, chosen);
        optionsShown_ = false;
        Start();
        if (c.phase == Phase::SyncStep) {
            Click(ids::bLoad);
            ProbeDuring(c.phase, [&] { Click(ids::bSync); });
            EXPECT_EQ(Copied(), kFiles);
            EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
        } else {
            ProbeDuring(c.phase, [&] { Click(ids::bLoad); });
        }
        if (c.large) {
            // The pass planned the whole First Folder: its folders and their files.
            EXPECT_EQ(main().state().lists.rFileAdd1.size(), size_t{kLargeFiles + 30});
        }
        EXPECT_FALSE(optionsShown_);
        EXPECT_EQ(platform::ReadProgramValue("local"), chosen);
        EXPECT_TRUE(prompter.errors.empty());
        EXPECT_TRUE(IsWindow(main().hwnd()));
    }
}

TEST_F(MidRun, ClosesMidStepAreCarriedOutWhenTheRunHasReturned) {
    enum class Files { All, Some, None };
    struct Case {
        const char* name;
        bool autoSync, large;
        Phase at;
        std::function<void()> close;
        Files copied;
        bool closes;
    };
    auto countdownEnds = [this] {
        main().StartCountdown();
        for (int i = 0; i < 10; ++i) SendMessageW(main().hwnd(), WM_TIMER, ids::Timer4, 0);
    };
    const Case cases[] = {
        {"the close box during a Sync", false, false, Phase::SyncStep,
         [this] { PostMessageW(main().hwnd(), WM_CLOSE, 0, 0); }, Files::Some, true},
        {"the countdown's end during a Sync", false, false, Phase::SyncStep, countdownEnds, Files::All, true},
        {"the countdown's end during a pass", false, true, Phase::LoadPass, countdownEnds, Files::None, true},
        // As the keyboard sends it to the control with the focus, Alt held (bit 29).
        {"Alt+S during an automatic Sync", true, false, Phase::SyncStep,
         [this] { PostMessageW(Control(ids::lvLocal), WM_SYSCHAR, 's', 1 << 29); }, Files::Some, false},
    };
    SetValue("autoclose", "true");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(second.path());
        std::filesystem::create_directories(second.path());
        SetValue("autodortdata", c.autoSync ? "true" : "false");
        SetValue("local", c.large ? large_->Core() : first.Core());
        Start();
        HWND window = main().hwnd();
        bool loadFirst = c.at == Phase::SyncStep && !c.autoSync;
        if (loadFirst) Click(ids::bLoad);
        bool closed = false, goneMidRun = false;
        EveryPump script([&] {
            if (closed && Current() != Phase::Idle) goneMidRun |= !IsWindow(window);
            else if (!closed && MidStep(c.at))
                c.close(), closed = true;
        });
        Click(loadFirst ? ids::bSync : ids::bLoad);
        Pump();  // takes the closed window's quit message
        EXPECT_TRUE(closed);
        EXPECT_FALSE(goneMidRun);
        EXPECT_EQ(IsWindow(window) == FALSE, c.closes);
        int copied = Copied();
        EXPECT_EQ(c.copied == Files::All, copied == kFiles) << copied;
        EXPECT_EQ(c.copied == Files::None, copied == 0) << copied;
        // A pass that the countdown did not cut: the whole plan is there.
        if (c.large) {
            EXPECT_EQ(main().state().lists.rFileAdd1.size(), size_t{kLargeFiles + 30});
        }
        if (!c.closes) {
            EXPECT_EQ(main().PanelText(app::kPanelMessage).rfind("Sync stopped: ", 0), 0u);
        }
        EXPECT_TRUE(prompter.errors.empty());
    }
}

TEST_F(MidRun, ThreePairsWithAutoCloseEndOnlyAfterTheLastPassIsSynced) {
    Pairs(3, first.Core());
    for (int i = 1; i < 3; ++i) folder.Write("a" + std::to_string(i) + "\\x.txt", "pair " + std::to_string(i));
    SetValue("autodortdata", "true");
    SetValue("autoclose", "true");
    Start();
    HWND window = main().hwnd();
    bool ended = false;
    EveryPump script([&] {
        // Pass 1 synced and started the countdown: its end arrives in the middle of pass 2.
        if (!ended && main().state().countdown.Running() && main().PanelText(app::kPanelMulti) == "Multi 2") {
            for (int i = 0; i < 10; ++i) SendMessageW(window, WM_TIMER, ids::Timer4, 0);
            ended = true;
        }
    });
    Click(ids::bLoad);
    Pump();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Copied(), kFiles);
    for (int i = 1; i < 3; ++i)
        EXPECT_EQ(folder.Read("b" + std::to_string(i) + "\\x.txt"), "pair " + std::to_string(i));
}

TEST_F(MidRun, ACloseThatMeetsTheStartOrTheFailureOfARunClosesWhenItReturns) {
    Start();
    HWND window = main().hwnd();
    PostMessageW(window, WM_CLOSE, 0, 0);  // Alt+F4 right after the click
    Click(ids::bLoad);
    Pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(main().state().LocalFolder, first.Core());  // the pass scanned the chosen folder

    Start();
    window = main().hwnd();
    ASSERT_TRUE(testing_support::ProgramKey::StoreNumber(L"local", 7));
    PostMessageW(window, WM_CLOSE, 0, 0);
    Click(ids::bLoad);
    EXPECT_EQ(prompter.errors, (std::vector<std::string>{"Invalid data type for 'local'"}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MidRun, AStopDuringAPassShowsNoNoticeAndNextIsLiveOnlyInAWait) {
    Pairs(3, large_->Core());
    SetValue("usewiz", "true");
    Start();
    EXPECT_FALSE(Enabled(ids::bNext));
    bool nextLiveInPass = false, noticeShown = false;
    EveryPump script([&] {
        if (HWND notice = application->fMWiz().hwnd(); IsWindowVisible(notice)) {
            noticeShown = true;
            SendMessageW(notice, WM_COMMAND, IDOK, 0);
        } else if (Waiting()) {
            Click(ids::bNext);
        } else if (MidStep(Phase::LoadPass)) {
            nextLiveInPass |= Enabled(ids::bNext);
            Command(ids::bStop);
        }
    });
    Click(ids::bLoad);
    EXPECT_FALSE(nextLiveInPass);
    EXPECT_FALSE(noticeShown);
    EXPECT_EQ(Text(ids::lFolder1), large_->Core());  // the run ended after its first pass
}

// Two trees alike but for one file: an evaluation that stops at once has found nothing to do.
TEST_F(MidRun, AStopDuringTheScanIsNeverSynchronized) {
    testing_support::TempFolder twin;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(large_->path())) {
        auto relative = std::filesystem::relative(entry.path(), large_->path());
        if (entry.is_directory()) std::filesystem::create_directories(twin.path() / relative);
        else platform::SystemFileOps().CopyToFile(large_->Core(relative.string()), twin.Core(relative.string()), {});
    }
    large_->Write("zz-last.txt", "only here");
    SetValue("local", large_->Core());
    SetValue("remote", twin.Core());
    SetValue("usestamp", "true");
    SetValue("autoclose", "true");
    SetValue("autodortdata", "true");
    Start();
    bool stopped = false;
    EveryPump script([&] {
        if (!stopped && MidStep(Phase::LoadPass) && Text(ids::Label3) == "Loading Dat") {
            Command(ids::bStop);
            stopped = true;
        }
    });
    Click(ids::bLoad);
    std::filesystem::remove(large_->path() / "zz-last.txt");
    EXPECT_TRUE(stopped);
    EXPECT_EQ(main().PanelText(app::kPanelSynchronized), "");
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Load stopped: lists may be incomplete");
    EXPECT_FALSE(large_->Exists(app::kStampFileName));
    EXPECT_FALSE(twin.Exists(app::kStampFileName));
    EXPECT_FALSE(main().state().countdown.Running());
    EXPECT_FALSE(twin.Exists("zz-last.txt"));  // no automatic Sync either
}

// A modal window's own loop lets the timers run: the automatic Load's tick waits for the window.
TEST_F(MidRun, TheAutomaticLoadWaitsForAModalWindowToClose) {
    SetValue("autoloaddata", "true");
    SetValue("autodortdata", "true");
    struct Case {
        const char* name;
        int command;
        std::function<HWND()> window;
    } cases[] = {
        {"About", ids::About1, [this] { return application->AboutBox().hwnd(); }},
        {"Options", ids::Options1, [this] { return application->fOptions().hwnd(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(second.path());
        std::filesystem::create_directories(second.path());
        Start({"-autosingle"});
        KillTimer(main().hwnd(), ids::tLoad);  // its tick is sent below, at a known moment
        Pump();  // takes the quit message of the windows made before
        bool ticked = false;
        int copiedUnder = -1;
        Script script([&] {
            HWND window = c.window();
            if (!IsWindowVisible(window)) return;
            if (!ticked) {
                ticked = true;
                SendMessageW(main().hwnd(), WM_TIMER, ids::tLoad, 0);
                Pump();
                copiedUnder = Copied();
                EXPECT_EQ(Current(), Phase::Modal);
            }
            SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        Command(c.command);
        EXPECT_TRUE(ticked);
        EXPECT_EQ(copiedUnder, 0);
        Pump();  // the tick put off, then the Load and its Sync
        EXPECT_EQ(Copied(), kFiles);
        EXPECT_EQ(Current(), Phase::Idle);
    }
}

TEST_F(MidRun, TheSessionsEndStopsARunningSyncThatEndsCleanly) {
    Start();
    HWND window = main().hwnd();
    Click(ids::bLoad);
    std::optional<std::string> reportBefore = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    LRESULT answer = -1;
    bool goneMidRun = false;
    EveryPump script([&] {
        if (answer == -1 && MidStep(Phase::SyncStep)) answer = SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
        else if (answer != -1 && Current() != Phase::Idle) goneMidRun |= !IsWindow(window);
    });
    Click(ids::bSync);
    Pump();
    EXPECT_EQ(answer, FALSE);  // busy: the Sync ends first
    EXPECT_FALSE(goneMidRun);
    EXPECT_FALSE(IsWindow(window));  // then the program ends with the session
    EXPECT_GT(Copied(), 0);
    EXPECT_LT(Copied(), kFiles);
    std::optional<std::string> report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report.has_value());
    EXPECT_NE(report, reportBefore);

    // Idle, the program ends normally.
    Start();
    window = main().hwnd();
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MidRun, TheMultiPlaceholderNeverBecomesAFolder) {
    SetValue("local", "Multi");  // left there by an earlier version
    SetValue("usemulti", "true");
    Start();
    EXPECT_EQ(Text(ids::lFolder1), "Multi");
    SetValue("remote", second.Core());
    SendMessageW(main().hwnd(), WM_COMMAND, MAKEWPARAM(ids::rFolder1, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control(ids::rFolder1)));
    EXPECT_EQ(platform::ReadProgramValue("remote"), second.Core());
    application->fOptions().SetUseMulti(false);
    EXPECT_EQ(Text(ids::lFolder1), "none");
    EXPECT_FALSE(Enabled(ids::bLoad));
    Command(ids::Load1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "No First Folder: pass skipped");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Multi"));
    EXPECT_EQ(Copied(), 0);
}

TEST_F(MidRun, PairListsOfDifferentLengthsEndTheRunAtTheMissingPair) {
    folder.Write("mirv4.dat", ":ldir\r\n" + first.Core() + "\r\n" + folder.Core("a") + "\r\n\r\n:rdir\r\n" +
                                  second.Core() + "\r\n\r\n");
    SetValue("usemulti", "true");
    SetValue("autodortdata", "true");
    Start();
    Click(ids::bLoad);
    EXPECT_EQ(prompter.errors, (std::vector<std::string>{"List index out of bounds"}));
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_EQ(Copied(), kFiles);  // the first pair was synced
    EXPECT_TRUE(Enabled(ids::bExit));
}

}  // namespace
