// Times the copy of a few large files under Wine, one way per run:
//
//   mirv_copy_probe plain FIRST SECOND   CopyFileW of every file of FIRST into SECOND, as the program
//                                        copied before: one call per file, nothing else runs meanwhile
//   mirv_copy_probe sync FIRST SECOND    a Load (untimed), then a Sync from the button in the real main
//                                        window: the copy in pieces while the window lets its messages run
//
// SECOND is to be empty. Prints "copy_time", the bytes copied and, for the Sync, the longest a
// click would have waited (the largest gap between the ticks of a 10 ms timer); exits with 1 when a
// check fails. It writes the program values under HKEY_LOCAL_MACHINE and removes them at the end.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/application.h"
#include "app/win32/main_window_ids.h"
#include "bench/probe_support.h"
#include "platform/win32/wide.h"

namespace {

namespace fs = std::filesystem;
using probe::Check;
using probe::Clock;
using probe::Ms;

std::uintmax_t BytesIn(const fs::path& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& e : fs::directory_iterator(folder)) bytes += e.is_regular_file() ? e.file_size() : 0;
    return bytes;
}

double Plain(const fs::path& first, const fs::path& second) {
    auto start = Clock::now();
    for (const auto& e : fs::directory_iterator(first))
        Check(CopyFileW(e.path().c_str(), (second / e.path().filename()).c_str(), FALSE) != 0, "CopyFileW copied");
    return Ms(Clock::now() - start);
}

std::vector<Clock::time_point> ticks;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ticks.push_back(Clock::now()); }

double Sync(const fs::path& first, const fs::path& second, probe::PrintingPrompter& prompter) {
    probe::PrepareProgramKey(platform::Narrow(first.wstring()), platform::Narrow(second.wstring()));
    // Nothing of these copies goes to the Recycle Bin: its queries before the first item are no copy.
    platform::WriteProgramValue("userecycle", "false");
    std::error_code error;
    fs::path runFolder = fs::temp_directory_path(error) / "mirv-copy-probe";
    fs::create_directories(runFolder, error);
    auto application = std::make_unique<app::Application>(prompter, platform::Narrow(runFolder.wstring()),
                                                          std::vector<std::string>{}, false);
    HWND window = application->fMirv95().hwnd();
    ShowWindow(window, application->ShowCommand());
    UpdateWindow(window);
    probe::Pump();
    SendMessageW(GetDlgItem(window, app::ids::bLoad), BM_CLICK, 0, 0);
    probe::Pump();
    UINT_PTR timer = SetTimer(nullptr, 0, 10, &Tick);
    auto start = Clock::now();
    SendMessageW(GetDlgItem(window, app::ids::bSync), BM_CLICK, 0, 0);
    auto end = Clock::now();
    KillTimer(nullptr, timer);
    ticks.insert(ticks.begin(), start);
    ticks.push_back(end);
    double longest = 0;
    for (size_t i = 1; i < ticks.size(); ++i) longest = std::max(longest, Ms(ticks[i] - ticks[i - 1]));
    probe::Print("longest_wait_for_a_click", longest, "ms");
    Check(application->fMirv95().PanelText(app::kPanelMessage) == "Synchronize Complete", "the Sync completed");
    application.reset();
    probe::Pump();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str());
    return Ms(end - start);
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 4 || (std::wstring(argv[1]) != L"plain" && std::wstring(argv[1]) != L"sync")) {
        std::fprintf(stderr, "usage: mirv_copy_probe plain|sync FIRST SECOND\n");
        return 2;
    }
    const bool plain = std::wstring(argv[1]) == L"plain";
    const fs::path first = argv[2], second = argv[3];
    LocalFree(argv);
    if (!probe::StartAsTheProgram()) return 1;
    probe::PrintingPrompter prompter;
    probe::Print("copy_time", plain ? Plain(first, second) : Sync(first, second, prompter), "ms");
    probe::PrintCount("copied_bytes", static_cast<long long>(BytesIn(second)), "bytes");
    Check(BytesIn(second) == BytesIn(first), "every byte copied");
    Check(prompter.count == 0, "no message box");
    CoUninitialize();
    return probe::failures ? 1 : 0;
}
