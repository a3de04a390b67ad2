#include "shellext/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace shellext {

namespace {

// Beyond MAX_PATH the file functions need the "\\?\" form of a full path.
std::wstring ForFileFunctions(const std::wstring& path) {
    if (path.size() < MAX_PATH) return path;
    if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

std::wstring_view LastName(std::wstring_view path) {
    size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring_view WithoutTrailingBackslash(std::wstring_view path) {
    if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return path;
}

// A path's long form, or the path itself when it has none (a missing folder).
std::wstring LongForm(std::wstring_view path) {
    std::wstring given(path);
    DWORD size = GetLongPathNameW(given.c_str(), nullptr, 0);
    if (size == 0) return given;
    std::wstring result(size, L'\0');
    DWORD length = GetLongPathNameW(given.c_str(), result.data(), size);
    if (length == 0 || length >= size) return given;
    result.resize(length);
    return result;
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

ItemKind KindFromShellAttributes(const std::wstring& path, unsigned long attributes) {
    if ((attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM)) return ItemKind::Folder;
    return HasShortcutExtension(path) ? ItemKind::ShortcutFile : ItemKind::OtherFile;
}

ItemKind KindOf(const std::wstring& path) {
    if (path.empty()) return ItemKind::None;
    if (PathIsNetworkPathW(path.c_str())) return HasShortcutExtension(path) ? ItemKind::ShortcutFile : ItemKind::Folder;
    DWORD attributes = GetFileAttributesW(ForFileFunctions(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ItemKind::None;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ItemKind::Folder;
    return HasShortcutExtension(path) ? ItemKind::ShortcutFile : ItemKind::OtherFile;
}

bool HasShortcutExtension(std::wstring_view path) {
    std::wstring_view name = LastName(path);
    size_t dot = name.rfind(L'.');
    return dot != std::wstring_view::npos && EqualIgnoringCase(name.substr(dot), L".mvp");
}

std::wstring FolderOf(std::wstring_view path) {
    size_t slash = path.find_last_of(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash));
}

std::wstring FileStem(std::wstring_view path) {
    std::wstring_view name = LastName(path);
    return std::wstring(name.substr(0, name.rfind(L'.')));
}

bool SameFolder(std::wstring_view a, std::wstring_view b) {
    return EqualIgnoringCase(WithoutTrailingBackslash(LongForm(a)), WithoutTrailingBackslash(LongForm(b)));
}

std::wstring WithoutBlanks(const std::wstring& path) {
    if (path.find(L' ') == std::wstring::npos) return path;
    DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring result(size, L'\0');
    DWORD length = GetShortPathNameW(path.c_str(), result.data(), size);
    if (length == 0 || length >= size) return path;
    result.resize(length);
    return result;
}

}  // namespace shellext
