#pragma once
// Finding and starting the program that the extension hands its work to.
#include <string>
#include <string_view>

namespace shellext {

// mirv98.exe in the folder of the library's own file. "runpath" in the program values is writable
// by every user, so it never chooses another program; it only spells the folder when it names it.
struct ProgramFile {
    std::wstring folder;
    std::wstring path;
};
ProgramFile FindProgram();

// One argument as the C runtime and CommandLineToArgvW split it back: in quotes, with the
// backslashes before a quote (and at the end) doubled.
std::wstring Quoted(std::wstring_view argument);

// Starts the program shown normally with its own folder as the working folder and the arguments
// (already quoted where they need it) after its quoted path; whether it started is not examined.
void StartProgram(const ProgramFile& program, std::wstring_view arguments = {});

}  // namespace shellext
