#include "settings/win32/wizard_notice.h"

#include "platform/program_values.h"

namespace settings {

TfMWiz::TfMWiz(ui::Prompter& prompter, Settings& settings, HWND owner) : ui::Dialog(prompter) {
    CreateFramed(L"TfMWiz", L"Multi Dir Sync Wizard", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                 WS_EX_DLGMODALFRAME, 288, 253, owner, nullptr);
    if (platform::ReadProgramValue("usewiz") == "false") settings.usewiz = false;
}

}  // namespace settings
