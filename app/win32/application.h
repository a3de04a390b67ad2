#pragma once
// The program: its window objects, created at start in a fixed order, living until the end.
#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "platform/file_ops.h"
#include "review/win32/file_info_dialog.h"
#include "settings/settings.h"
#include "settings/win32/about_box.h"
#include "settings/win32/options_dialog.h"
#include "settings/win32/wizard_notice.h"
#include "ui/prompter.h"

namespace app {

class Application {
public:
    // Creates the windows in order; each creation handler's error is shown and start-up goes on.
    // programFolder is the folder of the program's own file (tests give a folder of their own); files is
    // what the runs work through (tests put faults in between).
    Application(ui::Prompter& prompter, const std::string& programFolder, const std::vector<std::string>& arguments,
                bool shiftDown, platform::FileOps& files = platform::SystemFileOps());

    // Shows the main window and runs the message loop until it closes; returns the exit code.
    int Run();

    TfMirv95& fMirv95() { return *fMirv95_; }
    settings::TfOptions& fOptions() { return *fOptions_; }
    settings::TAboutBox& AboutBox() { return *AboutBox_; }
    settings::TfMWiz& fMWiz() { return *fMWiz_; }
    review::TfInfo& fInfo() { return *fInfo_; }
    settings::Settings& settings() { return settings_; }
    // How the message loop first shows the main window (minimised after "Start Minimized").
    int ShowCommand() const { return showCommand_; }

private:
    void CompleteStartup(bool shiftDown);
    template <class Step>
    void Guarded(Step step);

    ui::Prompter& prompter_;
    settings::Settings settings_;
    std::unique_ptr<TfMirv95> fMirv95_;
    std::unique_ptr<settings::TfOptions> fOptions_;
    std::unique_ptr<settings::TAboutBox> AboutBox_;
    std::unique_ptr<settings::TfMWiz> fMWiz_;
    std::unique_ptr<review::TfInfo> fInfo_;
    int showCommand_ = SW_SHOWNORMAL;
};

}  // namespace app
