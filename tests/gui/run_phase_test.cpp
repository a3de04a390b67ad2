// What the user can do while a Load pass, a Sync or a wait for Next is under way: every command
// tried in the middle of a real step over real folders.
#include "tests/gui/gui_fixture.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "platform/file_system.h"
#include "platform/win32/wide.h"
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

// The real program as another process of this user's session; ended at the latest with the test.
class SecondCopy {
public:
    explicit SecondCopy(const std::vector<std::string>& arguments) {
        std::wstring program = platform::Widen(platform::ExecutableFolder() + "\\..\\mirv98.exe");
        std::wstring line = L"\"" + program + L"\"";
        for (const std::string& a : arguments) line += L" \"" + platform::Widen(a) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
    }
    ~SecondCopy() {
        if (!process_) return;
        Kill();
        CloseHandle(process_);
    }
    SecondCopy(const SecondCopy&) = delete;
    SecondCopy& operator=(const SecondCopy&) = delete;

    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // Its exit code, once it has ended by itself within the time.
    std::optional<DWORD> EndsWithin(DWORD milliseconds) const {
        DWORD code = 0;
        if (!process_ || WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_, &code))
            return std::nullopt;
        return code;
    }
    // As the task manager ends it, or a power cut: nothing of it runs on.
    void Kill() {
        TerminateProcess(process_, 9);
        WaitForSingleObject(process_, 10000);
    }

private:
    HANDLE process_ = nullptr;
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
    int Copied(const testing_support::TempFolder* into = nullptr) {
        int n = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator((into ? *into : second).path()))
            n += e.is_regular_file();
        return n;
    }
    // Whether the File menu offers Undo Last Sync, as it stands when the user opens it.
    bool UndoOffered() {
        HMENU file = GetSubMenu(GetMenu(main().hwnd()), 0);
        SendMessageW(main().hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        return !(GetMenuState(file, ids::UndoLastSync1, MF_BYCOMMAND) & MF_GRAYED);
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

    // The phases a command meets, as the columns of the table below.
    enum Column { kIdle, kPass, kWait, kNotice, kSync, kUndo };
    enum class Kind { Menu, Button, Field, Browse, ListCommand, Timer };
    struct Row {
        const char* name;
        int id;
        Kind kind;
        std::array<bool, 6> runs;
    };
    static const std::vector<Row>& Table();

    // Whether the control or the menu item offers the command.
    bool Offered(const Row& row) {
        switch (row.kind) {
        case Kind::Menu: {
            HMENU bar = GetMenu(main().hwnd());
            for (int i = 0; i < GetMenuItemCount(bar); ++i)
                SendMessageW(main().hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, i)), i);
            return !(GetMenuState(bar, row.id, MF_BYCOMMAND) & MF_GRAYED);
        }
        case Kind::Button:
        case Kind::Browse: return Enabled(row.id);
        case Kind::Field: return !(GetWindowLongW(Control(row.id), GWL_STYLE) & ES_READONLY);
        case Kind::ListCommand:
        case Kind::Timer: break;
        }
        return true;  // no control of its own to look at
    }
    void Give(const Row& row) {
        switch (row.kind) {
        case Kind::Field:
            SendMessageW(Control(row.id), WM_CHAR, 'x', 0);
            SendMessageW(main().hwnd(), WM_COMMAND, MAKEWPARAM(row.id, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(Control(row.id)));
            break;
        case Kind::ListCommand:
            main().state().ActiveList = review::krFileAdd1;
            ListView_SetItemState(Control(ids::rFileAdd1), 0, LVIS_SELECTED, LVIS_SELECTED);
            Command(row.id);
            break;
        case Kind::Timer: SendMessageW(main().hwnd(), WM_TIMER, row.id, 0); break;
        default: Command(row.id); break;
        }
    }
    // Every command of the table in one phase: what runs there is offered, what does not is neither
    // offered nor changes anything when it comes all the same (a click queued before the button greyed).
    void ProbeAll(Column column) {
        probed_[column] = true;
        for (const Row& row : Table()) {
            SCOPED_TRACE(row.name);
            if (row.runs[column]) {
                EXPECT_TRUE(Offered(row));
                continue;
            }
            EXPECT_FALSE(Offered(row) && row.kind != Kind::ListCommand && row.kind != Kind::Timer);
            Snapshot before = Take();
            Give(row);
            EXPECT_TRUE(Take() == before);
            EXPECT_FALSE(main().state().phases.TakeDueLoad());
        }
    }

    // Probes at the first tick of the script inside each phase the start leads through. A wait for Next
    // always ends, probed or not, so that the run ends.
    void ProbeDuring(const std::vector<Column>& columns, const std::function<void()>& start) {
        auto wanted = [&](Column c) { return std::find(columns.begin(), columns.end(), c) != columns.end() && !probed_[c]; };
        EveryPump script([&] {
            // A regression would open the Options dialog inside a probe: close it, and say so.
            HWND options = application->fOptions().hwnd();
            if (IsWindowVisible(options)) {
                optionsShown_ = true;
                SendMessageW(options, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            HWND notice = application->fMWiz().hwnd();
            if (IsWindowVisible(notice)) {
                if (wanted(kNotice) && Current() == Phase::Modal) ProbeAll(kNotice);
                SendMessageW(notice, WM_COMMAND, IDOK, 0);
                return;
            }
            if (Waiting()) {
                if (wanted(kWait)) ProbeAll(kWait);
                Click(ids::bNext);
                return;
            }
            for (auto [column, phase] : {std::pair{kPass, Phase::LoadPass}, std::pair{kSync, Phase::SyncStep},
                                         std::pair{kUndo, Phase::Undo}})
                if (wanted(column) && MidStep(phase)) ProbeAll(column);
        });
        start();
        for (Column c : columns) EXPECT_TRUE(probed_[c]) << c;
    }

    bool optionsShown_ = false;
    std::array<bool, 6> probed_{};
};

testing_support::TempFolder* MidRun::large_ = nullptr;

const std::vector<MidRun::Row>& MidRun::Table() {
    // Columns: idle, a Load pass, the wait for Next, the notice over the wait, a Sync, an undo.
    constexpr std::array<bool, 6> idleOnly{true, false, false, false, false, false},
        idleAndWait{true, false, true, false, false, false}, always{true, true, true, true, true, true};
    static const std::vector<Row> rows = {
        {"menu Load Items", ids::Load1, Kind::Menu, idleOnly},
        {"the Load button", ids::bLoad, Kind::Button, idleOnly},
        {"the automatic Load's tick", ids::tLoad, Kind::Timer, idleOnly},
        {"menu Synchronize", ids::Synchronize1, Kind::Menu, idleAndWait},
        {"the Sync button", ids::bSync, Kind::Button, idleAndWait},
        {"menu Options", ids::Options1, Kind::Menu, idleOnly},
        {"the Options button", ids::bOptions, Kind::Button, idleOnly},
        {"typing in the First Folder field and leaving it", ids::lFolder1, Kind::Field, idleOnly},
        {"typing in the Second Folder field and leaving it", ids::rFolder1, Kind::Field, idleOnly},
        {"the First Folder's browse button", ids::lFolderBrowse, Kind::Browse, idleOnly},
        {"the Second Folder's browse button", ids::rFolderBrowse, Kind::Browse, idleOnly},
        {"Delete", ids::DeleteFile1, Kind::ListCommand, idleAndWait},
        {"Ignore", ids::IgnoreFile1, Kind::ListCommand, idleAndWait},
        {"Reverse", ids::ReverseEntry1, Kind::ListCommand, idleAndWait},
        {"Undo on a list", ids::Undo1, Kind::ListCommand, idleAndWait},
        {"File Info", ids::FileInfo1, Kind::ListCommand, always},
        {"Next", ids::bNext, Kind::Button, {false, false, true, false, false, false}},
        // A Sync started from idle has no Stop: a mark left after it would end the next Load at once.
        {"Stop", ids::bStop, Kind::Button, {false, true, true, true, false, true}},
        {"menu Undo Last Sync", ids::UndoLastSync1, Kind::Menu, idleOnly},
        {"menu Last Sync Report", ids::LastReport1, Kind::Menu, always},
        {"menu Exit", ids::Exit1, Kind::Menu, always},
        {"menu Help", ids::Help1, Kind::Menu, always},
        {"menu About", ids::About1, Kind::Menu, always},
    };
    return rows;
}

// Every command of the window in every phase a run goes through, a modal window over a run among them.
TEST_F(MidRun, EveryCommandInEveryPhaseRunsOrIsRefusedAsTheTableSays) {
    SetValue("usewiz", "true");
    Start();
    Click(ids::bLoad);
    ProbeDuring({kSync}, [&] { Click(ids::bSync); });
    EXPECT_EQ(Copied(), kFiles);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
    ProbeAll(kIdle);
    ProbeDuring({kUndo}, [&] { Command(ids::UndoLastSync1); });
    EXPECT_EQ(Copied(), 0);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Sync undone");

    SetValue("local", large_->Core());
    Start();
    ProbeDuring({kPass}, [&] { Click(ids::bLoad); });
    // The pass planned the whole First Folder: its folders and their files.
    EXPECT_EQ(main().state().lists.rFileAdd1.size(), size_t{kLargeFiles + 30});

    Pairs(2, first.Core());
    Start();
    ProbeDuring({kNotice, kWait}, [&] { Click(ids::bLoad); });
    EXPECT_EQ(Current(), Phase::Idle);

    EXPECT_FALSE(optionsShown_);
    EXPECT_EQ(platform::ReadProgramValue("local"), large_->Core());
    EXPECT_TRUE(prompter.errors.empty());
    EXPECT_TRUE(IsWindow(main().hwnd()));
}

// One Sync or undo at a time in the session: a second copy of the program neither undoes a Sync this one
// is carrying out nor works beside it; a Sync whose program was killed can be undone.
TEST_F(MidRun, AnotherCopyOfTheProgramNeverWorksBesideASyncOrUndoesItMidWay) {
    // Here a Sync; there "-undo", as a scheduled task would start it.
    Start();
    Click(ids::bLoad);
    std::optional<DWORD> undoExit;
    bool tried = false;
    EveryPump script([&] {
        if (tried || !MidStep(Phase::SyncStep)) return;
        tried = true;
        undoExit = SecondCopy({"-undo"}).EndsWithin(30000);
    });
    Click(ids::bSync);
    ASSERT_TRUE(tried);
    EXPECT_EQ(undoExit, DWORD{1});
    EXPECT_EQ(Copied(), kFiles);  // the Sync's files all there at its end

    // There a Sync of its own, killed half-way; here a plan of one file.
    first.Write("late.txt", "after the first Sync");
    Start();
    Click(ids::bLoad);
    testing_support::TempFolder target;
    SetValue("autodortdata", "true");
    SecondCopy other({"-auto", first.Core(), target.Core()});
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (other.Running() && Copied(&target) == 0 && std::chrono::steady_clock::now() < deadline) Sleep(5);
    ASSERT_TRUE(other.Running());
    EXPECT_FALSE(UndoOffered());
    Command(ids::UndoLastSync1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Undo not started: another Sync or undo is running");
    Click(ids::bSync);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "1 item not synced: another Sync or undo was running");
    EXPECT_FALSE(second.Exists("late.txt"));
    ASSERT_TRUE(other.Running());  // all of the above while it ran
    other.Kill();
    // Its journal has no end and nobody holds the session: what the journal lists is undone. (A half copy
    // the cut left waits under its work name for the next Sync into its folder.)
    ASSERT_TRUE(UndoOffered());
    std::optional<std::string> killed = app::UndoableJournal(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(killed);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*killed, text), platform::ReadStatus::Ok);
    std::optional<app::Journal> journal = app::ParseJournal(text);
    ASSERT_TRUE(journal && journal->ended == 0 && journal->pairs.size() == 1);
    std::vector<std::string> copied;
    for (const engine::ItemRecord& r : journal->pairs[0].items)
        if (r.outcome == engine::Outcome::Copied) copied.push_back(r.path);
    EXPECT_GT(copied.size(), 0u);
    EXPECT_LT(copied.size(), size_t{kFiles});
    Command(ids::UndoLastSync1);
    for (const std::string& path : copied) EXPECT_FALSE(target.Exists(path)) << path;
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
        else platform::SystemFileOps().CopyToFile(large_->Core(relative.string()), twin.Core(relative.string()));
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
