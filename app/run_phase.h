#pragma once
// The one owner of what the window is doing. Long steps let window messages run, so any click,
// menu command, timer tick or close can arrive in their middle: every command asks here whether it
// may run now, and the window derives its enabled controls from the same answers.
#include <functional>
#include <vector>

namespace app {

enum class Phase {
    Idle,
    LoadPass,     // a Load run's pass: scan, evaluation, decision
    WaitForNext,  // a multi-directory run waits between two pairs
    SyncStep,     // the copies and deletions of a Sync
    Modal,        // a modal window of the program is open (a step's own question keeps the step's phase)
    Undo,         // File > Undo Last Sync putting both folders back
};

enum class Command {
    Load,           // Load button, menu Load Items
    AutomaticLoad,  // the automatic Load's tick
    Sync,           // Sync button, menu Synchronize
    Options,        // Options button and menu
    FolderEdit,     // typing in a folder field, its browse button, storing it when the field is left
    ListEdit,       // Delete, Ignore, Reverse, Undo
    Next,
    Stop,
    UndoLastSync,  // File > Undo Last Sync, "-undo"
    LastReport,    // File > Last Sync Report
    Always,        // Exit and close (perhaps put off, see RequestClose), Help, About, pages, details, File Info
};

// What a command needs besides a phase that lets it run.
enum class Need {
    Nothing,
    Plan,          // lists planned by a Load for the folders they were made for
    UndoableSync,  // a Sync whose journal has not been undone, and no other Sync or undo under way
    Report,        // a report to open
};

enum class Verdict {
    Run,
    Refused,  // not in this phase
    PutOff,   // not now, but once the modal windows over an idle window have closed
    Lacking,  // the phase lets it run, but what it needs is not there
};

enum class CloseBy {
    User,        // Exit, close box, Alt+F4: stops the run, then closes
    Countdown,   // the auto-close countdown: waits for the run to end, waits for Next included
    WizardSync,  // a Sync of a program started with "-wiz": ends its run, then closes
    SessionEnd,  // log-off or shut-down: stops a run, then closes; otherwise the program ends at once
};

class RunPhases {
public:
    enum class CloseAction { Now, AfterRun, StopThenAfterRun };
    // Whether what a command needs is there; asked only when the phase lets the command run.
    using Has = std::function<bool(Need)>;

    explicit RunPhases(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
    void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    Phase Current() const { return stack_.empty() ? Phase::Idle : stack_.back(); }
    // A Load run lasts from its start to its end, its waits and the Syncs inside them included.
    bool LoadRunActive() const;
    // A Load run, a Sync or an undo is under way (modal windows alone are none).
    bool RunActive() const;
    // The phase is under way, on top or beneath others.
    bool Within(Phase phase) const;

    // The command table's answer for a command now.
    Verdict Judge(Command command, const Has& has) const;
    // Whether a menu item or control offers the command: it runs now, or it runs to say that what it
    // needs is not there (a Sync without a plan tells so, and ends a "-wiz" program).
    bool Offered(Command command, const Has& has) const;

    // The automatic Load's tick that the table put off: TakeDueLoad gives it back once the last modal
    // window has closed.
    void PutOffAutomaticLoad() { loadPutOff_ = true; }
    bool TakeDueLoad();

    // The phase holds until the scope ends, however it ends; then the one before it returns.
    class Scope {
    public:
        Scope(RunPhases& phases, Phase phase);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        RunPhases& phases_;
    };

    // What a close would do now.
    CloseAction CloseFor(CloseBy by) const;
    // What a close does now. A close that cannot act at once is remembered until the run ends.
    CloseAction RequestClose(CloseBy by);
    bool ClosePending() const { return closePending_; }
    // Once the outermost command has returned, however it ended: true, once, when a close is due.
    bool TakeDueClose();

private:
    void Changed() const {
        if (changed_) changed_();
    }

    std::vector<Phase> stack_;
    bool closePending_ = false;
    bool loadPutOff_ = false;
    std::function<void()> changed_;
};

}  // namespace app
