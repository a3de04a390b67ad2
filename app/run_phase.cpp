#include "app/run_phase.h"

#include <algorithm>
#include <array>

namespace app {

namespace {

// What a command may do in a phase.
enum class Cell : unsigned char {
    No,
    Yes,
    InRun,  // only inside a Load run or an undo: a Sync started from idle has no Stop, and a Stop mark
            // left after it would end the next Load at once
    Later,  // under modal windows alone: put off until the last has closed; over a run: dropped
};

// Columns: Idle, LoadPass, WaitForNext, SyncStep, Modal, Undo.
// - During a pass or a sync step nothing may change the lists, the roots or the pair lists under it.
// - During the wait the user reviews and changes the lists and may Sync, go Next or Stop; Options and
//   the folder fields stay refused, since they could change the pairs and roots of the running run.
// - Under a modal window nothing starts: its own loop lets the timers and queued clicks run.
// - An undo changes the folders as a Sync does: nothing else runs meanwhile.
struct Rule {
    Command command;
    std::array<Cell, 6> cells;
    Need need = Need::Nothing;
    bool toldWhenLacking = false;  // offered without what it needs, to say so
};
constexpr Cell N = Cell::No, Y = Cell::Yes;
constexpr std::array<Rule, 11> kRules = {{
    {Command::Load, {Y, N, N, N, N, N}},
    {Command::AutomaticLoad, {Y, N, N, N, Cell::Later, N}},
    {Command::Sync, {Y, N, Y, N, N, N}, Need::Plan, true},
    {Command::Options, {Y, N, N, N, N, N}},
    {Command::FolderEdit, {Y, N, N, N, N, N}},
    {Command::ListEdit, {Y, N, Y, N, N, N}},
    {Command::Next, {N, N, Y, N, N, N}},
    {Command::Stop, {N, Y, Y, Cell::InRun, Cell::InRun, Y}},
    {Command::UndoLastSync, {Y, N, N, N, N, N}, Need::UndoableSync},
    {Command::LastReport, {Y, Y, Y, Y, Y, Y}, Need::Report},
    {Command::Always, {Y, Y, Y, Y, Y, Y}},
}};

const Rule& RuleOf(Command command) {
    return *std::find_if(kRules.begin(), kRules.end(), [&](const Rule& r) { return r.command == command; });
}

}  // namespace

bool RunPhases::LoadRunActive() const {
    return std::any_of(stack_.begin(), stack_.end(),
                       [](Phase p) { return p == Phase::LoadPass || p == Phase::WaitForNext; });
}

bool RunPhases::Within(Phase phase) const { return std::find(stack_.begin(), stack_.end(), phase) != stack_.end(); }

bool RunPhases::RunActive() const {
    return std::any_of(stack_.begin(), stack_.end(), [](Phase p) { return p != Phase::Modal; });
}

Verdict RunPhases::Judge(Command command, const Has& has) const {
    const Rule& rule = RuleOf(command);
    switch (rule.cells[static_cast<size_t>(Current())]) {
    case Cell::No: return Verdict::Refused;
    case Cell::InRun:
        if (!LoadRunActive() && !Within(Phase::Undo)) return Verdict::Refused;
        break;
    case Cell::Later: return RunActive() ? Verdict::Refused : Verdict::PutOff;
    case Cell::Yes: break;
    }
    if (rule.need != Need::Nothing && !(has && has(rule.need))) return Verdict::Lacking;
    return Verdict::Run;
}

bool RunPhases::Offered(Command command, const Has& has) const {
    Verdict verdict = Judge(command, has);
    return verdict == Verdict::Run || (verdict == Verdict::Lacking && RuleOf(command).toldWhenLacking);
}

RunPhases::Scope::Scope(RunPhases& phases, Phase phase) : phases_(phases) {
    phases_.stack_.push_back(phase);
    phases_.Changed();
}

RunPhases::Scope::~Scope() {
    phases_.stack_.pop_back();
    phases_.Changed();
}

RunPhases::CloseAction RunPhases::CloseFor(CloseBy by) const {
    if (stack_.empty()) return CloseAction::Now;
    // Under a modal window alone nothing runs: the close waits for the window, with no mark to set,
    // except at the session's end, which does not wait for anybody's answer.
    if (!RunActive()) return by == CloseBy::SessionEnd ? CloseAction::Now : CloseAction::AfterRun;
    // The user's own close, the session's end and the end of a "-wiz" Sync end the run at its next look
    // at the marks; the countdown lets every pass and wait finish, as the run would without it.
    return by == CloseBy::Countdown ? CloseAction::AfterRun : CloseAction::StopThenAfterRun;
}

RunPhases::CloseAction RunPhases::RequestClose(CloseBy by) {
    CloseAction action = CloseFor(by);
    if (action != CloseAction::Now) closePending_ = true;
    return action;
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
