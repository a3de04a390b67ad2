#pragma once
// Folder-pair shortcut files (".MVP"): line 1 the First Folder, line 2 the Second Folder.
#include <optional>
#include <string_view>

#include "app/command_line.h"

namespace app {

// Lines end at CR (an LF right after it belongs to the line end); a bare LF stays in the text;
// Ctrl-Z ends the text. A single line gives an empty Second Folder.
FolderPair ParseShortcutText(std::string_view text);

// nullopt when the file cannot be read; the caller then keeps what it had.
std::optional<FolderPair> ReadShortcutFile(std::string_view path);

}  // namespace app
