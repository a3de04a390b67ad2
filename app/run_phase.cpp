#include "app/run_phase.h"

#include <algorithm>
#include <array>

namespace app {

namespace {

// What may run in each phase. Columns: Idle, LoadPass, WaitForNext, SyncStep, Modal, Undo.
// - During a pass or a sync step nothing may change the lists, the roots or the pair lists under it.
// - During the wait the user reviews and changes the lists and may Sync, go Next or Stop; Options and
//   the folder fields stay refused, since they could change the pairs and roots of the running run.
// - Stop only ends a Load run or an undo: a Sync started from idle has no Stop button, and a Stop mark
//   left after it would end the next Load at once.
// - Under a modal window nothing starts: its own loop lets the timers and queued clicks run.
// - An undo changes the folders as a Sync does: nothing else runs meanwhile.
struct Rule {
    Command command;
    std::array<bool, 6> allowed;
};
constexpr std::array<Rule, 8> kRules = {{
    {Command::Load, {true, false, false, false, false, false}},
    {Command::Sync, {true, false, true, false, false, false}},
    {Command::Options, {true, false, false, false, false, false}},
    {Command::FolderEdit, {true, false, false, false, false, false}},
    {Command::ListEdit, {true, false, true, false, false, false}},
    {Command::Next, {false, false, true, false, false, false}},
    {Command::Stop, {false, true, true, true, true, true}},
    {Command::Always, {true, true, true, true, true, true}},
}};

}  // namespace

bool RunPhases::LoadRunActive() const {
    return std::any_of(stack_.begin(), stack_.end(),
                       [](Phase p) { return p == Phase::LoadPass || p == Phase::WaitForNext; });
}

bool RunPhases::RunActive() const {
    return std::any_of(stack_.begin(), stack_.end(), [](Phase p) { return p != Phase::Modal; });
}

bool RunPhases::May(Command command) const {
    if (command == Command::Stop && !LoadRunActive() &&
        std::none_of(stack_.begin(), stack_.end(), [](Phase p) { return p == Phase::Undo; }))
        return false;
    for (const Rule& rule : kRules)
        if (rule.command == command) return rule.allowed[static_cast<size_t>(Current())];
    return false;
}

RunPhases::Scope::Scope(RunPhases& phases, Phase phase) : phases_(phases) {
    phases_.stack_.push_back(phase);
    phases_.Changed();
}

RunPhases::Scope::~Scope() {
    phases_.stack_.pop_back();
    phases_.Changed();
}

RunPhases::CloseAction RunPhases::RequestClose(CloseBy by) {
    if (stack_.empty()) return CloseAction::Now;
    closePending_ = true;
    // Under a modal window alone nothing runs: the close waits for the window, with no mark to set.
    // The user's own close, the session's end and the end of a "-wiz" Sync end the run at its next look
    // at the marks; the countdown lets every pass and wait finish, as the run would without it.
    if (!RunActive() || by == CloseBy::Countdown) return CloseAction::AfterRun;
    return CloseAction::StopThenAfterRun;
}

bool RunPhases::PutOffAutomaticLoad() {
    loadPutOff_ = !RunActive();
    return loadPutOff_;
}

bool RunPhases::TakeDueLoad() {
    if (!loadPutOff_ || !stack_.empty()) return false;
    loadPutOff_ = false;
    return true;
}

bool RunPhases::TakeDueClose() {
    if (!closePending_ || !stack_.empty()) return false;
    closePending_ = false;
    return true;
}

}  // namespace app
