// The main window's commands: which identifier is which command, whether it may run now (the command
// table of app/run_phase.h, asked here and nowhere else), and what runs. Also what derives from the same
// answers: the enabled controls, the menus, the timers, every close, the session's end and "-undo".
#include "app/win32/main_window.h"

#include <windowsx.h>

#include <optional>

#include "app/folder_pair.h"
#include "app/help.h"
#include "app/sync_report.h"
#include "app/win32/main_window_ids.h"
#include "platform/file_ops.h"
#include "platform/program_values.h"
#include "review/commands.h"
#include "settings/win32/about_box.h"
#include "settings/win32/options_dialog.h"
#include "ui/controls.h"
#include "ui/folder_picker.h"

namespace app {

namespace {

// Every command identifier of the main window, with the command of the table that must allow it. The
// command switch runs only what this table lets through: an identifier missing here never acts.
constexpr std::pair<int, Command> kCommands[] = {
    {ids::lFolder1, Command::FolderEdit},    {ids::rFolder1, Command::FolderEdit},
    {ids::lFolderBrowse, Command::FolderEdit}, {ids::rFolderBrowse, Command::FolderEdit},
    {ids::bLoad, Command::Load},             {ids::Load1, Command::Load},
    {ids::bSync, Command::Sync},             {ids::Synchronize1, Command::Sync},
    {ids::bStop, Command::Stop},             {ids::bNext, Command::Next},
    {ids::bOptions, Command::Options},       {ids::Options1, Command::Options},
    {ids::DeleteFile1, Command::ListEdit},   {ids::IgnoreFile1, Command::ListEdit},
    {ids::ReverseEntry1, Command::ListEdit}, {ids::Undo1, Command::ListEdit},
    {ids::bExit, Command::Always},           {ids::Exit1, Command::Always},
    {ids::About1, Command::Always},          {ids::Help1, Command::Always},
    {ids::FileInfo1, Command::Always},       {ids::LastReport1, Command::LastReport},
    {ids::UndoLastSync1, Command::UndoLastSync},
};

std::optional<Command> CommandOf(int id) {
    for (auto [known, command] : kCommands)
        if (known == id) return command;
    return std::nullopt;
}

// The buttons the runs switch, with the command each one gives.
constexpr std::pair<Button, int> kButtons[] = {{Button::Sync, ids::bSync},       {Button::Load, ids::bLoad},
                                               {Button::Next, ids::bNext},       {Button::Options, ids::bOptions},
                                               {Button::Stop, ids::bStop},       {Button::Exit, ids::bExit}};

}  // namespace

int TfMirv95::ButtonId(Button button) {
    for (auto [known, id] : kButtons)
        if (known == button) return id;
    return ids::bExit;
}

bool TfMirv95::Has(Need need) {
    switch (need) {
    case Need::Nothing: return true;
    case Need::Plan: return state_.plan && state_.plan->options == PlanOptionsOf(settings_);
    case Need::UndoableSync: return runs_.Undoable();
    case Need::Report: return NewestReport(platform::SystemFileOps(), ReportFolder()).has_value();
    }
    return false;
}

Verdict TfMirv95::Judge(Command command) {
    return state_.phases.Judge(command, [this](Need need) { return Has(need); });
}

bool TfMirv95::Offered(Command command) {
    return state_.phases.Offered(command, [this](Need need) { return Has(need); });
}

void TfMirv95::OnCommand(int id, int code, HWND) {
    std::optional<Command> command = CommandOf(id);
    if (!command) return;
    switch (Judge(*command)) {
    case Verdict::Run: break;
    case Verdict::Lacking: return Lacking(*command);
    case Verdict::Refused:
    case Verdict::PutOff:
        // The folder fields only tell of typing and leaving: refused without a sound. A refused click or
        // key beeps and does nothing else.
        if (id != ids::lFolder1 && id != ids::rFolder1) MessageBeep(MB_OK);
        return;
    }
    switch (id) {
    case ids::lFolder1:
    case ids::rFolder1:
        // Typed or picked: the lists were planned for the folder the field showed before.
        if (code == EN_CHANGE && state_.plan) runs_.DiscardPlan();
        else if (code == EN_KILLFOCUS) FolderEditLostFocus(id);
        break;
    case ids::lFolderBrowse: BrowseFolder(ids::lFolder1); break;
    case ids::rFolderBrowse: BrowseFolder(ids::rFolder1); break;
    case ids::bLoad: RunCommand([this] { runs_.LoadFromButton(); }); break;
    case ids::Load1: RunCommand([this] { runs_.RunMultiDirectory(); }); break;
    case ids::bSync: RunCommand([this] { runs_.SyncFromButton(*state_.plan); }); break;
    case ids::Synchronize1: RunCommand([this] { runs_.RunSync(*state_.plan); }); break;
    case ids::bStop: state_.stopRequested = state_.nextRequested = true; break;
    case ids::bNext: state_.nextRequested = true; break;
    case ids::bExit:
    case ids::Exit1: PostMessageW(hwnd(), WM_CLOSE, 0, 0); break;
    case ids::bOptions:
    case ids::Options1: ShowOptions(); break;
    case ids::About1:
        if (about_) Modal([this] { about_->ShowModal(hwnd()); });
        break;
    case ids::Help1: ShowHelp(); break;
    case ids::LastReport1:
        if (auto report = NewestReport(platform::SystemFileOps(), ReportFolder())) prompter().Open(hwnd(), *report);
        break;
    case ids::UndoLastSync1:
        // The user wants to look at the folders, not to see the program go.
        StopCountdown();
        RunCommand([this] { runs_.UndoLastSync(true); });
        break;
    case ids::DeleteFile1: DeleteFile1Click(); break;
    case ids::IgnoreFile1: Ignore1Click(); break;
    case ids::ReverseEntry1: ReverseEntry1Click(); break;
    case ids::Undo1: Undo1Click(); break;
    case ids::FileInfo1: FileInfo1Click(); break;
    }
}

void TfMirv95::Lacking(Command command) {
    switch (command) {
    case Command::Sync:
        runs_.NothingToSync();
        // Started for one pair by the shell extension: its Sync closes the program, planned or not.
        if (state_.firstArgument == "-wiz") Close(CloseBy::WizardSync);
        break;
    case Command::UndoLastSync: runs_.NothingToUndo(); break;
    default: MessageBeep(MB_OK); break;
    }
}

template <class Step>
void TfMirv95::ListCommand(Step step) {
    step();
    // Indices moved: what was selected is gone from where it was.
    for (int id = ids::lFileAdd1; id <= ids::rignfile1; ++id) ListById(id)->ClearSelection();
    RefreshLists();
    ComputeTotals();
}

void TfMirv95::DeleteFile1Click() {
    ListCommand([this] {
        review::DeleteEntries(state_.lists, state_.ActiveList, ActiveSelection());
    });
}

void TfMirv95::Ignore1Click() {
    ListCommand([this] {
        review::IgnoreEntries(state_.lists, state_.ActiveList, ActiveSelection());
    });
}

void TfMirv95::ReverseEntry1Click() {
    ListCommand([this] {
        review::ReverseEntries(state_.lists, state_.ActiveList, ActiveSelection());
    });
}

void TfMirv95::Undo1Click() {
    ListCommand([this] {
        review::UndoEntries(state_.lists, state_.ActiveList, ActiveSelection(),
                            platform::SystemFileOps(), FolderText(Side::First), FolderText(Side::Second));
    });
}

void TfMirv95::ShowOptions() {
    if (!options_) return;
    PlanOptions before = PlanOptionsOf(settings_);
    Modal([this] { options_->ShowModal(hwnd()); });
    // A plan is carried out only under the options it was made with (Cancel too leaves changes in force).
    if (state_.plan && PlanOptionsOf(settings_) != before) runs_.DiscardPlan();
}

void TfMirv95::ShowHelp() {
    std::string path = HelpFilePath(state_.RunPath);
    if (!path.empty()) prompter().Open(hwnd(), path);
}

void TfMirv95::BrowseFolder(int editId) {
    std::optional<std::string> picked;
    Modal([&] { picked = ui::PickFolder(hwnd(), editId == ids::lFolder1 ? L"First Folder" : L"Second Folder"); });
    if (!picked) return;
    const std::string& chosen = *picked;
    ui::SetText(Control(editId), chosen);
    // A pair with both sides chosen can be loaded.
    int otherId = editId == ids::lFolder1 ? ids::rFolder1 : ids::lFolder1;
    if (!IsNoFolder(chosen) && !IsNoFolder(ui::GetText(Control(otherId)))) EnableButton(Button::Load, true);
    FolderEditLostFocus(editId);
}

void TfMirv95::FolderEditLostFocus(int editId) {
    HWND edit = Control(editId);
    std::string text = ui::GetText(edit);
    // The multi-directory placeholder is not the user's, nor is a "none" or an empty field that the
    // program showed: only one the user made so erases the stored folder.
    if (text == kMultiPlaceholder || (IsNoFolder(text) && !Edit_GetModify(edit))) return;
    platform::WriteProgramValue(editId == ids::lFolder1 ? "local" : "remote", IsNoFolder(text) ? "" : text);
}

void TfMirv95::OnTimer(UINT_PTR timer) {
    if (timer == ids::Timer4) return OnCountdownTick();
    if (timer != ids::tLoad) return;
    KillTimer(hwnd(), ids::tLoad);
    switch (Judge(Command::AutomaticLoad)) {
    // Pressed as if clicked, even while the button is disabled; its errors are swallowed.
    case Verdict::Run: RunCommand([this] { runs_.LoadFromButton(); }, true); break;
    case Verdict::PutOff: state_.phases.PutOffAutomaticLoad(); break;
    case Verdict::Refused:
    case Verdict::Lacking: break;
    }
}

void TfMirv95::ArmAutomaticLoad() { SetTimer(hwnd(), ids::tLoad, 1000, nullptr); }

void TfMirv95::StartCountdown() {
    state_.countdown.Start();
    SetTimer(hwnd(), ids::Timer4, 1000, nullptr);
}

void TfMirv95::StopCountdown() {
    if (!state_.countdown.Running()) return;
    KillTimer(hwnd(), ids::Timer4);
    state_.countdown.Stop();
    SetPanelText(kPanelMessage, "");
}

void TfMirv95::OnCountdownTick() {
    std::string panel;
    auto outcome = state_.countdown.Tick(settings_.ssdelay, settings_.autoclose, panel);
    // The panel only: the run's result stays in the status bar's hint.
    SetPanelText(kPanelMessage, panel);
    if (outcome == Countdown::Outcome::Running) return;
    KillTimer(hwnd(), ids::Timer4);
    if (outcome == Countdown::Outcome::CloseWindow) Close(CloseBy::Countdown);
}

void TfMirv95::OnMenuOpening(HMENU menu) {
    // The pop-up menus of the lists are made afresh, each item as its list allows.
    HMENU bar = GetMenu(hwnd());
    bool ofBar = false;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) ofBar |= GetSubMenu(bar, i) == menu;
    if (!ofBar) return;
    for (auto [id, command] : kCommands)
        EnableMenuItem(menu, id, MF_BYCOMMAND | (Offered(command) ? MF_ENABLED : MF_GRAYED));
}

void TfMirv95::EnableButton(Button button, bool enabled) {
    wanted_[static_cast<size_t>(button)] = enabled;
    ApplyControlStates();
}

void TfMirv95::ApplyControlStates() {
    // A button is live when the runs want it so and the table offers its command.
    for (auto [button, id] : kButtons)
        EnableWindow(Control(id), wanted_[static_cast<size_t>(button)] && Offered(*CommandOf(id)));
    bool editable = Offered(Command::FolderEdit);
    for (int id : {ids::lFolder1, ids::rFolder1}) SendMessageW(Control(id), EM_SETREADONLY, !editable, 0);
    for (int id : {ids::lFolderBrowse, ids::rFolderBrowse}) EnableWindow(Control(id), editable);
    // One access key per action: while Sync is live (the wait for Next) Alt+S is Sync's; Stop keeps it
    // wherever Sync is not live (a pass, a sync step).
    bool stopKey = !IsWindowEnabled(Control(ids::bSync));
    if (stopKey != stopHasKey_) {
        stopHasKey_ = stopKey;
        SetWindowTextW(Control(ids::bStop), stopKey ? L"&Stop" : L"Stop");
    }
    // A button that just went grey keeps the keyboard focus, and the keyboard with it: Stop takes it.
    HWND focus = GetFocus(), stop = Control(ids::bStop);
    if (focus && GetParent(focus) == hwnd() && !IsWindowEnabled(focus) && IsWindowEnabled(stop) &&
        IsWindowVisible(stop))
        SetFocus(stop);
}

void TfMirv95::Modal(const std::function<void()>& show) {
    RunPhases::Scope phase(state_.phases, Phase::Modal);
    show();
}

void TfMirv95::RunCommand(const std::function<void()>& step, bool swallowErrors) {
    try {
        step();
    } catch (const std::exception& e) {
        if (!swallowErrors) ShowHandlerError(e.what());
    }
}

LRESULT TfMirv95::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = Dispatch(message, wParam, lParam);
    // Once the outermost command has returned, however it ended, a close or an automatic Load put off
    // meanwhile is due.
    if (message != WM_DESTROY && message != WM_NCDESTROY && state_.phases.Current() == Phase::Idle) CarryOutPutOff();
    return result;
}

void TfMirv95::CarryOutPutOff() {
    if (state_.phases.TakeDueClose()) DestroyWindow(hwnd());
    else if (state_.phases.TakeDueLoad()) PostMessageW(hwnd(), WM_TIMER, ids::tLoad, 0);
}

void TfMirv95::Close(CloseBy by) {
    if (runs_.RequestClose(by)) DestroyWindow(hwnd());
}

BOOL TfMirv95::QueryEndSession() {
    // Idle, or only a modal window open: the program ends with the session.
    if (state_.phases.CloseFor(CloseBy::SessionEnd) == RunPhases::CloseAction::Now) return TRUE;
    // A run ends cleanly first: stopped at its next look at the marks, its report written, the window
    // closed once it has returned. Meanwhile Windows shows why the program holds the session up.
    const RunPhases& phases = state_.phases;
    ShutdownBlockReasonCreate(hwnd(), phases.Within(Phase::Undo)       ? L"Stopping the undo under way and writing its report"
                                      : phases.Within(Phase::SyncStep) ? L"Stopping the Sync under way and writing its report"
                                                                       : L"Stopping the Load under way");
    Close(CloseBy::SessionEnd);
    return FALSE;
}

void TfMirv95::EndSession() { Close(CloseBy::SessionEnd); }

void TfMirv95::UndoAtStart() { PostMessageW(hwnd(), kUndoAtStart, 0, 0); }

void TfMirv95::UndoAndClose() {
    // Nobody reads a message box here: what the undo met is in its report, and the exit code says
    // whether every item is back. Nothing to undo, or another copy's Sync or undo under way: 1 at once.
    exitCode_ = 1;
    if (Judge(Command::UndoLastSync) == Verdict::Run) {
        try {
            std::optional<engine::UndoCounts> counts = runs_.UndoLastSync(false);
            if (counts && counts->notUndone == 0) exitCode_ = 0;
        } catch (const std::exception&) {
        }
    }
    Close(CloseBy::User);
}

}  // namespace app
