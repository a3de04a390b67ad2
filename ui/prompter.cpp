#include "ui/prompter.h"

#include <shellapi.h>

#include "platform/win32/wide.h"

namespace ui {

namespace {
int Box(HWND owner, std::string_view text, UINT type) {
    return MessageBoxW(owner, platform::Widen(text).c_str(), L"The Mirravel", type);
}
}  // namespace

void MessageBoxPrompter::ShowError(HWND owner, std::string_view text) { Box(owner, text, MB_OK | MB_ICONERROR); }

bool MessageBoxPrompter::AskYesNo(HWND owner, std::string_view text, bool defaultNo) {
    return Box(owner, text, MB_YESNO | MB_ICONWARNING | (defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1)) == IDYES;
}

void MessageBoxPrompter::Warn(HWND owner, std::string_view text) { Box(owner, text, MB_OK | MB_ICONWARNING); }

bool MessageBoxPrompter::Confirm(HWND owner, std::string_view text) {
    return Box(owner, text, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

bool MessageBoxPrompter::Ask(HWND owner, std::string_view caption, std::string_view text) {
    return MessageBoxW(owner, platform::Widen(text).c_str(), platform::Widen(caption).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace ui

namespace ui {

void MessageBoxPrompter::Open(HWND owner, std::string_view target) {
    ShellExecuteW(owner, L"open", platform::Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ui
