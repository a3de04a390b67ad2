#include "review/win32/file_info_dialog.h"

namespace review {

TfInfo::TfInfo(ui::Prompter& prompter, HWND owner) : ui::Dialog(prompter) {
    CreateFramed(L"TfInfo", L"File Information", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                 WS_EX_DLGMODALFRAME, 513, 216, owner, nullptr);
}

}  // namespace review
