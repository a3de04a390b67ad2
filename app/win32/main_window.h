#pragma once
// The main window TfMirv95: five pages of lists, item details, folder edits, progress, command
// buttons and the status bar. It owns the run state and the model lists the pages show.
#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/main_state.h"
#include "app/run_host.h"
#include "app/runs.h"
#include "engine/details.h"
#include "settings/settings.h"
#include "ui/tooltips.h"
#include "ui/virtual_list.h"
#include "ui/window.h"

namespace settings {
class TfOptions;
class TAboutBox;
class TfMWiz;
}  // namespace settings

namespace review {
class TfInfo;
}  // namespace review

namespace app {

// Status bar panels.
enum Panel : int { kPanelMessage = 0, kPanelMulti, kPanelSub, kPanelSync, kPanelLoad, kPanelSynchronized };

// Pages in tab order.
enum Page : int { kPageAdd = 0, kPageUpdate, kPageDelete, kPageIgnore, kPageItems };

class TfMirv95 final : public ui::Window, public RunHost {
public:
    // Builds the window and its controls; the runs work through files.
    TfMirv95(ui::Prompter& prompter, const settings::Settings& settings, platform::FileOps& files);
    // The creation handler: the program's folder (also the working folder), command line, folder
    // pair, totals.
    void FormCreate(const std::string& programFolder, const std::vector<std::string>& arguments);

    // The dialogs its commands show; they are made after the main window.
    void SetDialogs(settings::TfOptions* options, settings::TAboutBox* about, settings::TfMWiz* notice,
                    review::TfInfo* info);
    Runs& runs() { return runs_; }

    MainState& state() { return state_; }
    const MainState& state() const { return state_; }

    // Operations named by the program's design, used by the other windows and the runs.
    void ResetWindow() override;
    void ResetTotals() override;
    void ComputeTotals() override;
    void ShowTotals();
    void SetUpColumns();
    void StartCountdown() override;
    // Stops it at once: timer off, status panel 0 emptied.
    void StopCountdown();
    // Parts of the start-up's completion: the Load one second after start, and the Shift start
    // that makes the hand-over pair the persistent one.
    void ArmAutomaticLoad();
    // "-undo": once the message loop runs, the last Sync is undone without a question and the program
    // ends, its exit code 0 only when every item was put back.
    void UndoAtStart();
    void AdoptHandoverPair();
    // The indicators and modes the Options dialog switches.
    void ShowIndicator(Panel panel, bool on);
    void EnterMultiDirectoryMode();
    void LeaveMultiDirectoryMode();

    void SetActivePage(Page page);
    Page ActivePage() const;
    std::string PanelText(Panel panel) const;
    void SetPanelText(Panel panel, std::string_view text);
    std::string Hint(int controlId) const;
    // The show step of the message loop: reads a shortcut file named on the command line.
    void FormShow();
    // Opens the user guide beside the program; nothing happens without one.
    void ShowHelp();

    // The result-list commands, on the list that holds the focus (ActiveList).
    void DeleteFile1Click();
    void Ignore1Click();
    void ReverseEntry1Click();
    void Undo1Click();
    void FileInfo1Click();
    // The detail labels under the lists for an entry's text, and their reset.
    void ShowItemDetails(const std::string& text);
    void ClearItemDetails();
    bool SizeMarked() const { return sizeRed_; }
    bool DateMarked() const { return dateRed_; }
    // Refreshes every list view from the model.
    void RefreshLists();

    // What the engine steps and the runs ask of the window.
    void SetStepCaption(std::string_view caption) override;
    void SetProgress(int percent) override;
    void ProcessMessages() override;
    bool StopRequested() const override { return state_.stopRequested; }
    bool AskYesNo(std::string_view text, Default preferred) override;
    void Warn(std::string_view text) override;
    bool Ask(std::string_view caption, std::string_view text) override;
    void EnableButton(Button button, bool enabled) override;
    void ShowButton(Button button, bool shown) override;
    void SetStatus(int panel, std::string_view text) override;
    std::string Status(int panel) const override { return PanelText(static_cast<Panel>(panel)); }
    std::string FolderText(Side side) const override;
    void SetFolder(Side side, std::string_view path) override;
    void SetItemCaptions(std::string_view first, std::string_view second) override;
    void SetTotalTexts(std::string_view first, std::string_view second) override;
    void SetCaption(std::string_view caption) override;
    void ShowItemListPage() override { SetActivePage(kPageItems); }
    void SetBusyCursor(bool busy) override;
    void Repaint() override;
    void WaitForMessage() override;
    void OfferWizardNotice() override;
    void ListsChanged() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ShowHandlerError(std::string_view text) override;

private:
    void CreateControls();
    void CreatePages();
    void CreateLowerPanel();
    void CreateStatusBar();
    HMENU CreateMainMenu();

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR* header);

    // The commands (main_commands.cpp). Every command asks the command table first, through Judge or
    // Offered; a refused one does nothing.
    bool Has(Need need);
    Verdict Judge(Command command);
    bool Offered(Command command);
    void OnCommand(int id, int code, HWND control);
    // A command whose phase lets it run but whose need is not there: says so.
    void Lacking(Command command);
    void OnTimer(UINT_PTR timer);
    void OnCountdownTick();
    void ShowOptions();
    void BrowseFolder(int editId);
    void FolderEditLostFocus(int editId);
    // Runs a Load or Sync command and shows its error.
    void RunCommand(const std::function<void()>& step, bool swallowErrors = false);
    // Shows one of the program's modal windows as a phase of its own: nothing starts under it.
    void Modal(const std::function<void()>& show);
    // What was put off until the last command or modal window returned: a close, the automatic Load.
    void CarryOutPutOff();
    void Close(CloseBy by);
    // Log-off or shut-down: a run stops and ends cleanly first; idle, the program ends.
    BOOL QueryEndSession();
    void EndSession();
    // The enabled controls as the runs want them and as the table offers their commands.
    void ApplyControlStates();
    static int ButtonId(Button button);
    void OnMenuOpening(HMENU menu);
    void UndoAndClose();
    static constexpr UINT kUndoAtStart = WM_APP + 1;

    void OnListFocus(int id, bool gained);
    void OnListSelection(int id);
    void OnContextMenu(HWND control, POINT at);
    // Runs a list command unless a step is running, then shows the lists as they now stand.
    template <class Step>
    void ListCommand(Step step);
    ui::VirtualList* ListById(int id);
    // The selected rows of the list that ActiveList names.
    std::vector<size_t> ActiveSelection();
    void ShowDetailTexts(const engine::ItemDetails& details);
    // Lets the pending messages run now (ProcessMessages may leave them for a moment).
    void PumpNow();

    const settings::Settings& settings_;
    settings::TfOptions* options_ = nullptr;
    settings::TAboutBox* about_ = nullptr;
    settings::TfMWiz* notice_ = nullptr;
    review::TfInfo* info_ = nullptr;
    bool sizeRed_ = false, dateRed_ = false;
    // The buttons' enabled states as the runs set them, by Button; the phase may hold them off.
    std::array<bool, 6> wanted_{false, true, false, true, true, true};
    Runs runs_;
    MainState state_;
    std::vector<ui::VirtualList> lists_;  // in identifier order, lFileAdd1 first
    ui::Tooltips hints_;
    HWND tabs_ = nullptr;
    HWND stats_ = nullptr;
    bool shown_ = false;
    bool stopHasKey_ = true;  // bStop's caption carries its access key
    std::chrono::steady_clock::time_point lastPump_{};
    int exitCode_ = 0;
};

}  // namespace app
