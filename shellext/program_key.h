#pragma once
// The string values under HKEY_LOCAL_MACHINE\SOFTWARE\Harwick\Mirv98 that the extension shares
// with the program. The key is opened, never created: without it reads are empty and writes dropped.
#include <string>

namespace shellext {

// Empty text for a missing key or value, and for a value that is not a string.
std::wstring ReadProgramValue(const wchar_t* name);
void WriteProgramValue(const wchar_t* name, const std::wstring& text) noexcept;

}  // namespace shellext
