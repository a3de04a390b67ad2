#include "settings/win32/about_box.h"

namespace settings {

TAboutBox::TAboutBox(ui::Prompter& prompter, HWND owner) : ui::Dialog(prompter) {
    CreateFramed(L"TAboutBox", L"About", WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME, 298, 244, owner,
                 nullptr);
}

}  // namespace settings
