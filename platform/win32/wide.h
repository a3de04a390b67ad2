#pragma once
// Conversion at the Win32 boundary: the core speaks UTF-8, Windows' W functions UTF-16.
#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view utf8);
// Text in the given code page (CP_ACP, CP_UTF8, ...) as UTF-16.
std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage);
std::string Narrow(std::wstring_view wide);
// The form of a path that every W file function accepts beyond MAX_PATH ("\\?\C:\..." or
// "\\?\UNC\server\share\..."). A plain absolute path (a drive or a share, backslashes, no "." or
// "..") keeps its names exactly, a trailing dot or blank included; any other path is first made absolute
// as Windows makes it, which cuts such dots and blanks.
std::wstring LongPath(std::string_view path);
// The path as Windows makes it absolute (GetFullPathNameW); empty when it cannot.
std::wstring FullPathName(const std::wstring& path);

}  // namespace platform
