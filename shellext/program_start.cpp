#include "shellext/program_start.h"

#include <windows.h>

#include "shellext/handles.h"
#include "shellext/module.h"
#include "shellext/paths.h"
#include "shellext/program_key.h"

namespace shellext {

ProgramFile FindProgram() {
    std::wstring folder = FolderOf(ModulePath());
    std::wstring runPath = ReadProgramValue(L"runpath");
    if (!runPath.empty() && SameFolder(runPath, folder)) {
        folder = runPath;
        if (folder.ends_with(L'\\')) folder.pop_back();
    }
    return {folder, folder + L"\\mirv98.exe"};
}

std::wstring Quoted(std::wstring_view argument) {
    std::wstring result = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        result += c;
        backslashes = 0;
    }
    result.append(backslashes * 2, L'\\');
    result += L'"';
    return result;
}

void StartProgram(const ProgramFile& program, std::wstring_view arguments) {
    std::wstring commandLine = Quoted(program.path);
    if (!arguments.empty()) (commandLine += L' ') += arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program.folder.c_str(), &startup, &started))
        return;
    // The program runs on by itself; its handles are not needed here.
    ScopedKernelHandle process(started.hProcess);
    ScopedKernelHandle thread(started.hThread);
}

}  // namespace shellext
