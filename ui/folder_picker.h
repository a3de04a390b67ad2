#pragma once
// The folder-selection dialog, in which the user may also make a new folder.
#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// The chosen folder, or nullopt when the user cancelled.
std::optional<std::string> PickFolder(HWND owner, const wchar_t* title);

}  // namespace ui
