#pragma once
// The Options dialog TfOptions. Its creation loads the settings; a change of an option that the
// main window shows (status indicators, multi-directory mode) is applied there at once.
#include "app/win32/main_window.h"
#include "settings/settings.h"
#include "ui/dialog.h"

namespace settings {

class TfOptions final : public ui::Dialog {
public:
    // Loads the settings into the record and applies them to the main window.
    TfOptions(ui::Prompter& prompter, Settings& settings, app::TfMirv95& main);

    Settings& settings() { return settings_; }

    // The effects of ticking or unticking the boxes, also used at load and by the start modes.
    void SetUseSubfolders(bool on);
    void SetUseMulti(bool on);
    void SetAutoLoad(bool on);
    void SetAutoSync(bool on);

private:
    void ApplyLoadedSettings();

    Settings& settings_;
    app::TfMirv95& main_;
};

}  // namespace settings
