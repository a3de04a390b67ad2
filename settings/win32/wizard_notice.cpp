#include "settings/win32/wizard_notice.h"

#include <commctrl.h>

#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace settings {

namespace {
enum : int { Memo1 = 400, CheckBox1, bOK = IDOK };
}

// Fourteen lines; the fifth and the thirteenth end in a blank.
const char* const TfMWiz::kText =
    "You have just evaluated the current two\r\n"
    "directories of a multiple directory set.  You\r\n"
    "may now check to see which files are\r\n"
    "going to be added or updated and make\r\n"
    "any necessary changes.  \r\n"
    "\r\n"
    "Once you have made your changes, press\r\n"
    "Synchronize to Sync this directory set.  Then\r\n"
    "press Load Next to evaluate the next\r\n"
    "directory set.\r\n"
    "\r\n"
    "If you wish to have a blanket Sync on each\r\n"
    "directory, you may select Auto Load, and \r\n"
    "Auto Sync from the options page.";

TfMWiz::TfMWiz(ui::Prompter& prompter, HWND owner) : ui::Dialog(prompter) {
    CreateFramed(L"TfMWiz", L"Multi Dir Sync Wizard", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                 WS_EX_DLGMODALFRAME, 288, 253, owner, nullptr);
    AddControl(WC_BUTTONW, L"", WS_VISIBLE | BS_GROUPBOX, {6, 2, 276, 212}, -1);
    AddControl(WC_EDITW, platform::Widen(kText), WS_VISIBLE | ES_MULTILINE | ES_READONLY, {14, 14, 260, 194}, Memo1);
    AddControl(WC_BUTTONW, L"Show Sync Wizard", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, {8, 224, 150, 17}, CheckBox1);
    AddControl(WC_BUTTONW, L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {205, 220, 75, 25}, bOK);
    SendFramesToBack();
    ui::SetChecked(Control(CheckBox1), true);
}

void TfMWiz::FormCreate(Settings& settings) {
    if (platform::ReadProgramValue("usewiz") == "false") {
        SetShowWizard(false);
        settings.usewiz = false;
    }
}

bool TfMWiz::ShowWizard() const { return ui::IsChecked(Control(CheckBox1)); }

void TfMWiz::SetShowWizard(bool on) {
    ui::SetChecked(Control(CheckBox1), on);
    platform::WriteProgramValue("usewiz", on ? "true" : "false");
}

LRESULT TfMWiz::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == CheckBox1 && HIWORD(wParam) == BN_CLICKED) {
            SetShowWizard(ui::IsChecked(Control(CheckBox1)));
            return 0;
        }
        if (LOWORD(wParam) == IDOK) {
            EndModal(IDOK);
            return 0;
        }
    }
    return ui::Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace settings
