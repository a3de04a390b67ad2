#pragma once
// The program values: string values under ProgramKey, shared with the shell extension.
// The key is opened, never created: without it every read is empty and every write is dropped.
#include <string>
#include <string_view>

namespace platform {

// "SOFTWARE\Harwick\mirv98" under HKEY_LOCAL_MACHINE on Windows. The POSIX store (native tests)
// is the file named by the environment variable MIRV98_PROGRAM_KEY; no such file, no key.
inline constexpr std::wstring_view kProgramKeyPath = L"SOFTWARE\\Harwick\\mirv98";
inline constexpr const char* kProgramKeyEnvironment = "MIRV98_PROGRAM_KEY";

// Empty text for a missing key or value; throws AppError "Invalid data type for '%s'" when the
// value exists but is not a string.
std::string ReadProgramValue(std::string_view name);
void WriteProgramValue(std::string_view name, std::string_view text);

}  // namespace platform
