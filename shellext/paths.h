#pragma once
// Path helpers of the extension: what kind of item was selected, folders and file names.
#include <string>
#include <string_view>

namespace shellext {

enum class ItemKind { None, Folder, ShortcutFile, OtherFile };

// The kind the shell's own attributes of the item give: a folder that is no file (a zip file is both).
ItemKind KindFromShellAttributes(const std::wstring& path, unsigned long attributes);
// Without the shell's attributes. A local path asks the file system (a path that cannot be read is
// None); a network path is judged by its name alone, a shortcut file or else a folder, so the menu
// never waits on a server that is away.
ItemKind KindOf(const std::wstring& path);
// The extension of the last name (from its last ".") is ".mvp" in any letter case.
bool HasShortcutExtension(std::wstring_view path);
// The path up to its last name, without a trailing backslash.
std::wstring FolderOf(std::wstring_view path);
// The last name without its extension.
std::wstring FileStem(std::wstring_view path);
// Both name one folder: compared in their long forms, in any letter case, a trailing backslash aside.
bool SameFolder(std::wstring_view a, std::wstring_view b);
// The short (8.3) form of a path with a blank, where the volume keeps one; else the path itself.
std::wstring WithoutBlanks(const std::wstring& path);

}  // namespace shellext
