#pragma once
// The main window TfMirv95: five pages of lists, item details, folder edits, progress, command
// buttons and the status bar. It owns the run state and the model lists the pages show.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "app/main_state.h"
#include "settings/settings.h"
#include "ui/tooltips.h"
#include "ui/virtual_list.h"
#include "ui/window.h"

namespace settings {
class TfOptions;
class TAboutBox;
}  // namespace settings

namespace app {

// Status bar panels.
enum Panel : int { kPanelMessage = 0, kPanelMulti, kPanelSub, kPanelSync, kPanelLoad, kPanelSynchronized };

// Pages in tab order.
enum Page : int { kPageAdd = 0, kPageUpdate, kPageDelete, kPageIgnore, kPageItems };

class TfMirv95 final : public ui::Window {
public:
    // Builds the window and its controls.
    TfMirv95(ui::Prompter& prompter, const settings::Settings& settings);
    // The creation handler: working folder, command line, folder pair, totals.
    void FormCreate(const std::vector<std::string>& arguments);

    // The dialogs its commands show; they are made after the main window.
    void SetDialogs(settings::TfOptions* options, settings::TAboutBox* about);

    MainState& state() { return state_; }
    const MainState& state() const { return state_; }

    // Operations named by the program's design, used by the other windows and the runs.
    void ResetWindow();
    void ResetTotals();
    void ComputeTotals();
    void ShowTotals();
    void SetUpColumns();
    void StartCountdown();
    // Parts of the start-up's completion: the Load one second after start, and the Shift start
    // that makes the hand-over pair the persistent one.
    void ArmAutomaticLoad();
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
    // Refreshes every list view from the model.
    void RefreshLists();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreatePages();
    void CreateLowerPanel();
    void CreateStatusBar();
    HMENU CreateMainMenu();

    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(NMHDR* header);
    void OnTimer(UINT_PTR timer);
    void OnCountdownTick();
    void BrowseFolder(int editId);
    void FolderEditLostFocus(int editId);
    void SetLoadEnabled(bool enabled);

    const settings::Settings& settings_;
    settings::TfOptions* options_ = nullptr;
    settings::TAboutBox* about_ = nullptr;
    MainState state_;
    std::vector<ui::VirtualList> lists_;  // in identifier order, lFileAdd1 first
    ui::Tooltips hints_;
    HWND tabs_ = nullptr;
    HWND stats_ = nullptr;
    bool shown_ = false;
};

}  // namespace app
