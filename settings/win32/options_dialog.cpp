#include "settings/win32/options_dialog.h"

namespace settings {

TfOptions::TfOptions(ui::Prompter& prompter, Settings& settings, app::TfMirv95& main)
    : ui::Dialog(prompter), settings_(settings), main_(main) {
    CreateFramed(L"TfOptions", L"Options Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME,
                 489, 295, main.hwnd(), nullptr);
    std::optional<std::string> error = LoadSettings(main.state().RunPath, settings_);
    ApplyLoadedSettings();
    if (error) prompter.ShowError(main.hwnd(), *error);
}

void TfOptions::ApplyLoadedSettings() {
    // Only boxes that loading ticked have an effect, as if the user had ticked them.
    if (settings_.usesubs) main_.ShowIndicator(app::kPanelSub, true);
    if (settings_.usemulti) main_.EnterMultiDirectoryMode();
    if (settings_.autodortdata) main_.ShowIndicator(app::kPanelSync, true);
    if (settings_.autoloaddata) main_.ShowIndicator(app::kPanelLoad, true);
}

void TfOptions::SetUseSubfolders(bool on) {
    if (settings_.usesubs == on) return;
    settings_.usesubs = on;
    main_.ShowIndicator(app::kPanelSub, on);
}

void TfOptions::SetUseMulti(bool on) {
    if (settings_.usemulti == on) return;
    settings_.usemulti = on;
    if (on) main_.EnterMultiDirectoryMode();
    else main_.LeaveMultiDirectoryMode();
}

void TfOptions::SetAutoLoad(bool on) {
    if (settings_.autoloaddata == on) return;
    settings_.autoloaddata = on;
    main_.ShowIndicator(app::kPanelLoad, on);
}

void TfOptions::SetAutoSync(bool on) {
    if (settings_.autodortdata == on) return;
    settings_.autodortdata = on;
    main_.ShowIndicator(app::kPanelSync, on);
}

}  // namespace settings
