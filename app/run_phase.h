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
    Load,        // Load button, menu Load Items, the automatic Load's tick, menu Undo Last Sync
    Sync,        // Sync button, menu Synchronize
    Options,     // Options button and menu
    FolderEdit,  // typing in a folder field, its browse button, storing it when the field is left
    ListEdit,    // Delete, Ignore, Reverse, Undo
    Next,
    Stop,
    Always,  // Exit and close (perhaps put off, see RequestClose), Help, About, pages, details, File Info
};

enum class CloseBy {
    User,        // Exit, close box, Alt+F4: stops the run, then closes
    Countdown,   // the auto-close countdown: waits for the run to end, waits for Next included
    WizardSync,  // a Sync of a program started with "-wiz": ends its run, then closes
    SessionEnd,  // log-off or shut-down during a run: stops it, then closes
};

class RunPhases {
public:
    enum class CloseAction { Now, AfterRun, StopThenAfterRun };

    explicit RunPhases(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
    void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    Phase Current() const { return stack_.empty() ? Phase::Idle : stack_.back(); }
    // A Load run lasts from its start to its end, its waits and the Syncs inside them included.
    bool LoadRunActive() const;
    // A Load run or a Sync is under way (modal windows alone are none).
    bool RunActive() const;
    bool May(Command command) const;

    // The automatic Load's tick, when a Load may not run now: while only modal windows stand in its way
    // it is put off (true) and TakeDueLoad gives it back once the last of them has closed; during a run
    // it is dropped (false).
    bool PutOffAutomaticLoad();
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
