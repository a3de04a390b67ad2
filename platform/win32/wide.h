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
// "\\?\UNC\server\share\..."); relative paths are made absolute first.
std::wstring LongPath(std::string_view path);

}  // namespace platform
