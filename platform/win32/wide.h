#pragma once
// Conversion at the Win32 boundary: the core speaks UTF-8, Windows' W functions UTF-16.
#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The form of a path that every W file function accepts beyond MAX_PATH ("\\?\C:\..." or
// "\\?\UNC\server\share\..."); relative paths are made absolute first.
std::wstring LongPath(std::string_view path);

}  // namespace platform
