#pragma once
// Window tests: the program's windows made as the program makes them, driven with real messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/application.h"
#include "app/win32/main_window_ids.h"
#include "platform/program_values.h"
#include "tests/support/test_support.h"
#include "ui/prompter.h"
#include "ui/window.h"

namespace gui_testing {

// Answers message boxes as a test tells it and remembers what they said.
class RecordingPrompter final : public ui::Prompter {
public:
    void ShowError(HWND, std::string_view text) override { errors.emplace_back(text); }
    bool AskYesNo(HWND, std::string_view text, bool defaultNo) override {
        questions.emplace_back(text);
        noByDefault.push_back(defaultNo);
        return answerYes;
    }
    void Warn(HWND, std::string_view text) override { warnings.emplace_back(text); }
    bool Confirm(HWND, std::string_view text) override {
        questions.emplace_back(text);
        return answerYes;
    }
    bool Ask(HWND, std::string_view caption, std::string_view text) override {
        questions.emplace_back(std::string(caption) + ": " + std::string(text));
        return answerYes;
    }

    void Open(HWND, std::string_view target) override { opened.emplace_back(target); }

    std::vector<std::string> errors, questions, warnings, opened;
    std::vector<bool> noByDefault;  // of each Yes/No warning
    bool answerYes = true;
};

// Lets queued messages run, as the message loop would; a quit message is only noted.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Test steps that run inside the program's own message loops (its waits, modal dialogs and menus),
// as the user's clicks would, every few milliseconds until the script ends.
class Script {
public:
    explicit Script(std::function<void()> step) : step_(std::move(step)) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, 10, &Script::Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

private:
    static Script*& current() {
        static Script* script = nullptr;
        return script;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current()) current()->step_();
    }
    std::function<void()> step_;
    UINT_PTR timer_;
};

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                           ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }

    // The program's start: window objects in order, creation handlers, start-up completion, with
    // programFolder taken for the folder of the program's own file.
    app::Application& Start(const std::vector<std::string>& arguments = {}, bool shiftDown = false,
                            platform::FileOps& files = platform::SystemFileOps()) {
        application = std::make_unique<app::Application>(prompter, programFolder, arguments, shiftDown, files);
        return *application;
    }
    // The message loop's first showing of the main window.
    void Show() {
        ShowWindow(main().hwnd(), SW_SHOWNOACTIVATE);
        Pump();
    }
    app::TfMirv95& main() { return application->fMirv95(); }
    HWND Control(int id) { return GetDlgItem(main().hwnd(), id); }
    std::string Text(int id) { return ui::GetText(Control(id)); }
    bool Enabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
    // Shown among its siblings (the main window itself may not be on screen in a test).
    bool Visible(int id) { return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    // Clicks a tab of the page control as the user would.
    void ClickTab(int index);
    void SetValue(const char* name, const std::string& value) { platform::WriteProgramValue(name, value); }

    testing_support::ProgramKey key;
    testing_support::TempFolder folder;
    std::string programFolder = folder.Core();
    RecordingPrompter prompter;
    std::unique_ptr<app::Application> application;
};

inline void GuiTest::ClickTab(int index) {
    HWND tabs = Control(app::ids::PageControl1);
    RECT r{};
    TabCtrl_GetItemRect(tabs, index, &r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(tabs, WM_LBUTTONUP, 0, at);
    Pump();
}

using Entries = std::vector<std::string>;

// The texts of a model list, in its order.
template <class List>
Entries Texts(const List& list) {
    Entries out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(std::string(list.Text(i)));
    return out;
}

// Two folders of the test's own, stored as the persistent pair, with subfolders on.
class PairTest : public GuiTest {
protected:
    void SetUp() override {
        SetValue("local", first.Core());
        SetValue("remote", second.Core());
        SetValue("usesubs", "true");
    }

    testing_support::TempFolder first, second;
};

}  // namespace gui_testing
