#pragma once
// What the probes that time the real main window under Wine share: figures printed one a line, the
// program values they start the program with, message boxes answered without a user.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/program_values.h"
#include "ui/prompter.h"

namespace probe {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline void Print(const char* name, double value, const char* unit) {
    std::printf("%s %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

inline void PrintCount(const char* name, long long value, const char* unit) {
    std::printf("%s %lld %s\n", name, value, unit);
    std::fflush(stdout);
}

// As the program starts: COM for the folder dialog, the common controls. False when COM will not start.
inline bool StartAsTheProgram() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return false;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return true;
}

// The checks that failed; the probe's exit status is 1 when there is one.
inline int failures = 0;

inline void Check(bool ok, const char* what) {
    if (ok) return;
    ++failures;
    std::fprintf(stderr, "check failed: %s\n", what);
}

// A message box would stop the measurement: errors are printed and counted instead.
class PrintingPrompter final : public ui::Prompter {
public:
    void ShowError(HWND, std::string_view text) override { Note("error", text); }
    bool AskYesNo(HWND, std::string_view text, bool) override {
        Note("question", text);
        return true;
    }
    void Warn(HWND, std::string_view text) override { Note("warning", text); }
    bool Confirm(HWND, std::string_view text) override {
        Note("question", text);
        return true;
    }
    bool Ask(HWND, std::string_view, std::string_view text) override {
        Note("question", text);
        return true;
    }
    void Open(HWND, std::string_view) override {}

    int count = 0;

private:
    void Note(const char* kind, std::string_view text) {
        ++count;
        std::fprintf(stderr, "%s: %.*s\n", kind, static_cast<int>(text.size()), text.data());
    }
};

// The program reads its folder pair and options from ProgramKey, which the installer makes.
inline void PrepareProgramKey(const std::string& first, const std::string& second) {
    std::wstring path(platform::kProgramKeyPath);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                    nullptr);
    if (key) RegCloseKey(key);
    platform::WriteProgramValue("local", first);
    platform::WriteProgramValue("remote", second);
    platform::WriteProgramValue("usesubs", "true");
    platform::WriteProgramValue("usewiz", "false");
}

// Lets queued messages run, as the message loop would; a quit message is only noted (the window
// is destroyed only at the end).
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace probe
