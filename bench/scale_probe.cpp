// Times a Load of two large folders in the real main window, made as the program makes it, and
// how responsive the window stays: the longest wait for messages during the Load, a Stop during
// the evaluation, and scrolling the filled lists.
//
//   mirv_scale_probe FIRST SECOND
//
// Prints one "name value unit" line per figure; exits with 1 when a check fails. It writes the
// program values under HKEY_LOCAL_MACHINE (the folder pair, subfolders on) and removes them at
// the end, so it belongs in a Wine prefix (or Windows account) of its own.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/application.h"
#include "app/win32/main_window_ids.h"
#include "bench/probe_support.h"
#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "ui/prompter.h"
#include "ui/window.h"

namespace {

namespace ids = app::ids;
using probe::Clock;
using probe::Ms;
using probe::Print;
using probe::PrintCount;
using probe::PrintingPrompter;
using probe::PrepareProgramKey;
using probe::Check;
using probe::failures;
using probe::Pump;

// Time spent inside some messages of the watched controls, summed over them.
struct Cost {
    double ms = 0;
    long long count = 0;
};
struct Costs {
    Cost paint;     // WM_PAINT of the lists, the progress bar and Label3, the list texts asked for included
    Cost setCount;  // LVM_SETITEMCOUNT: a list view taking its model's new length
    Cost notify;    // WM_NOTIFY handled by the main window (not counting those sent while painting)
};

// What happened during one Load: Label3's captions as they were set (with the costs so far), and
// the ticks of a timer that can only fire while the run lets messages run.
struct Recording {
    struct Caption {
        std::wstring text;
        Clock::time_point at;
        Costs costs;
    };
    std::vector<Caption> captions;
    std::vector<Clock::time_point> ticks;
    Costs costs;
    HWND main = nullptr, label3 = nullptr, stop = nullptr, progress = nullptr;
    int stopAtPercent = -1;  // Stop is clicked once the evaluation shows this progress; -1 never
    bool stopClicked = false;
    int stopPercent = 0;
    Clock::time_point stopAt{};
    std::map<HWND, WNDPROC> originals;
    int depth = 0;

    // The first caption with this text set at or after `from`.
    const Caption* Find(const wchar_t* text, Clock::time_point from) const {
        for (const Caption& c : captions)
            if (c.at >= from && c.text == text) return &c;
        return nullptr;
    }
};

Recording recording;

// The watched windows, subclassed: WM_SETTEXT on Label3 marks the step that starts; the controls'
// painting and new list lengths, and the main window's notifications, are timed (outermost only).
LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = recording.originals[hwnd];
    if (hwnd == recording.label3 && message == WM_SETTEXT && lParam)
        recording.captions.push_back({reinterpret_cast<const wchar_t*>(lParam), Clock::now(), recording.costs});
    Cost* cost = nullptr;
    if (hwnd == recording.main) {
        if (message == WM_NOTIFY) cost = &recording.costs.notify;
    } else if (message == WM_PAINT) {
        cost = &recording.costs.paint;
    } else if (message == LVM_SETITEMCOUNT) {
        cost = &recording.costs.setCount;
    }
    if (!cost || recording.depth) return CallWindowProcW(original, hwnd, message, wParam, lParam);
    ++recording.depth;
    Clock::time_point t = Clock::now();
    LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
    cost->ms += Ms(Clock::now() - t);
    ++cost->count;
    --recording.depth;
    return result;
}

void Watch(HWND control) {
    recording.originals[control] =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc)));
}

void Unwatch() {
    for (auto [control, original] : recording.originals)
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    recording.originals.clear();
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

// The timer stands for the user: it sees what the window shows, and clicks Stop as a user would.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    recording.ticks.push_back(Clock::now());
    if (recording.stopAtPercent < 0 || recording.stopClicked) return;
    if (WindowText(recording.label3) != L"Evaluating Files") return;
    int percent = static_cast<int>(SendMessageW(recording.progress, PBM_GETPOS, 0, 0));
    if (percent < recording.stopAtPercent) return;
    recording.stopClicked = true;
    recording.stopPercent = percent;
    recording.stopAt = Clock::now();
    SendMessageW(recording.stop, BM_CLICK, 0, 0);
}

// The largest gap between consecutive moments of `points` that lie in [from, to], the two ends
// counted as moments: the longest any click landing in that span would have waited.
double LargestGap(std::vector<Clock::time_point> points, Clock::time_point from, Clock::time_point to) {
    points.erase(std::remove_if(points.begin(), points.end(), [&](auto t) { return t < from || t > to; }),
                 points.end());
    points.insert(points.begin(), from);
    points.push_back(to);
    double largest = 0;
    for (size_t i = 1; i < points.size(); ++i) largest = std::max(largest, Ms(points[i] - points[i - 1]));
    return largest;
}

size_t TicksIn(const std::vector<Clock::time_point>& points, Clock::time_point from, Clock::time_point to) {
    return static_cast<size_t>(std::count_if(points.begin(), points.end(), [&](auto t) { return t >= from && t <= to; }));
}

// Every entry below a folder, as the scan lists them, on this thread: what Wine's directory
// listing alone costs.
long long Walk(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    long long count = 0;
    do {
        std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        ++count;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += Walk(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

class Probe {
public:
    explicit Probe(app::Application& application) : app_(application) {}

    HWND Control(int id) { return GetDlgItem(app_.fMirv95().hwnd(), id); }
    int Rows(int id) { return ListView_GetItemCount(Control(id)); }

    // One Load from the button, with Stop clicked at the given progress of the evaluation (-1: never).
    void Load(int stopAtPercent) {
        recording.captions.clear();
        recording.ticks.clear();
        recording.stopAtPercent = stopAtPercent;
        recording.stopClicked = false;
        UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &Tick);
        start_ = Clock::now();
        SendMessageW(Control(ids::bLoad), BM_CLICK, 0, 0);
        end_ = Clock::now();
        KillTimer(nullptr, timer);
    }

    void FullLoad() {
        Load(-1);
        // The window as the user sees it once the run has returned: pending messages and paints.
        Clock::time_point t = Clock::now();
        Pump();
        UpdateWindow(app_.fMirv95().hwnd());
        double settle = Ms(Clock::now() - t);

        Clock::time_point scanFrom = start_;
        for (const auto& c : recording.captions)
            if (c.text == L"Loading Dat") scanFrom = c.at;  // the last one before the scans
        const Recording::Caption* evalFrom = recording.Find(L"Evaluating Files", start_);
        const Recording::Caption* evalTo = evalFrom ? recording.Find(L"Current Process", evalFrom->at) : nullptr;
        Check(evalFrom && evalTo, "the evaluation ran");
        if (!evalFrom || !evalTo) return;

        Print("load_total", Ms(end_ - start_), "ms");
        Print("load_before_scan", Ms(scanFrom - start_), "ms");
        Print("load_scan_and_sort", Ms(evalFrom->at - scanFrom), "ms");
        Print("load_evaluation", Ms(evalTo->at - evalFrom->at), "ms");
        Print("evaluation_paint", evalTo->costs.paint.ms - evalFrom->costs.paint.ms, "ms");
        PrintCount("evaluation_paints", evalTo->costs.paint.count - evalFrom->costs.paint.count, "paints");
        Print("evaluation_list_length_updates", evalTo->costs.setCount.ms - evalFrom->costs.setCount.ms, "ms");
        Print("load_after_evaluation", Ms(end_ - evalTo->at), "ms");
        Print("load_settle_paint", settle, "ms");
        Print("load_largest_message_gap", LargestGap(recording.ticks, start_, end_), "ms");
        Print("scan_largest_message_gap", LargestGap(recording.ticks, scanFrom, evalFrom->at), "ms");
        Print("evaluation_largest_message_gap", LargestGap(recording.ticks, evalFrom->at, evalTo->at), "ms");
        size_t evalTicks = TicksIn(recording.ticks, evalFrom->at, evalTo->at);
        PrintCount("evaluation_timer_ticks", static_cast<long long>(evalTicks), "ticks");
        Print("evaluation_mean_tick_gap",
              evalTicks ? Ms(evalTo->at - evalFrom->at) / static_cast<double>(evalTicks) : 0.0, "ms");

        auto& lists = app_.fMirv95().state().lists;
        PrintCount("items_first_label", LabelCount(ids::Label1), "items");
        PrintCount("items_second_label", LabelCount(ids::Label2), "items");
        PrintCount("rows_first_items", Rows(ids::lvLocal), "rows");
        PrintCount("rows_second_items", Rows(ids::lvRemote), "rows");
        PrintCount("rows_add_to_first", Rows(ids::lFileAdd1), "rows");
        PrintCount("rows_add_to_second", Rows(ids::rFileAdd1), "rows");
        PrintCount("rows_update_first", Rows(ids::lUpdate1), "rows");
        PrintCount("rows_update_second", Rows(ids::rUpdate1), "rows");
        Check(static_cast<size_t>(Rows(ids::lvLocal)) == lists.lvLocal.size() &&
                  static_cast<size_t>(Rows(ids::lvRemote)) == lists.lvRemote.size() &&
                  static_cast<size_t>(Rows(ids::lFileAdd1)) == lists.lFileAdd1.size() &&
                  static_cast<size_t>(Rows(ids::rFileAdd1)) == lists.rFileAdd1.size() &&
                  static_cast<size_t>(Rows(ids::lUpdate1)) == lists.lUpdate1.size() &&
                  static_cast<size_t>(Rows(ids::rUpdate1)) == lists.rUpdate1.size(),
              "the list views show every entry of their lists");
        Check(LabelCount(ids::Label1) == static_cast<long long>(lists.lvLocal.size()) &&
                  LabelCount(ids::Label2) == static_cast<long long>(lists.lvRemote.size()),
              "the item labels count the item lists");
        Check(!lists.lFileAdd1.empty() && !lists.rFileAdd1.empty() && !lists.lUpdate1.empty() &&
                  !lists.rUpdate1.empty(),
              "the evaluation scheduled adds and updates both ways");
        fullScheduled_ = Scheduled();
    }

    // Scrolling the filled lists: the largest on the items page, then the add and update lists.
    void Scrolling() {
        int largest = Rows(ids::lvLocal) >= Rows(ids::lvRemote) ? ids::lvLocal : ids::lvRemote;
        Scroll("items", largest);
        Print("page_switch_add", SwitchPage(app::kPageAdd), "ms");
        Scroll("add_to_first", ids::lFileAdd1);
        Scroll("add_to_second", ids::rFileAdd1);
        Print("page_switch_update", SwitchPage(app::kPageUpdate), "ms");
        Scroll("update_first", ids::lUpdate1);
        Scroll("update_second", ids::rUpdate1);
        Print("page_switch_items", SwitchPage(app::kPageItems), "ms");
    }

    // A Load whose Stop is clicked once the evaluation shows (at least) the given progress.
    void StoppedLoad(const std::string& name, int atPercent) {
        Load(atPercent);
        Pump();
        auto& main = app_.fMirv95();
        auto& lists = main.state().lists;
        Check(recording.stopClicked, (name + ": Stop was clicked during the evaluation").c_str());
        Print((name + "_load_total").c_str(), Ms(end_ - start_), "ms");
        PrintCount((name + "_progress_at_click").c_str(), recording.stopPercent, "percent");
        Print((name + "_click_to_run_end").c_str(), recording.stopClicked ? Ms(end_ - recording.stopAt) : -1.0, "ms");
        size_t scheduled = Scheduled();
        PrintCount((name + "_scheduled_entries").c_str(), static_cast<long long>(scheduled), "entries");
        // Stopped in the Second Folder's pass: the First Folder's pass, which fills rFileAdd1, never ran.
        Check(scheduled < fullScheduled_ && lists.rFileAdd1.empty() && (atPercent == 0 || scheduled > 0),
              (name + ": the lists are partial").c_str());
        bool ended = main.state().phases.Current() == app::Phase::Idle && !main.state().stopRequested &&
                     IsWindowEnabled(Control(ids::bLoad)) &&
                     !(GetWindowLongW(Control(ids::bStop), GWL_STYLE) & WS_VISIBLE);
        PrintCount((name + "_run_ended").c_str(), ended ? 1 : 0, "bool");
        Check(ended, (name + ": the run ended with Load usable and Stop hidden").c_str());
    }

    size_t FullScheduled() const { return fullScheduled_; }

private:
    size_t Scheduled() {
        auto& l = app_.fMirv95().state().lists;
        return l.lFileAdd1.size() + l.rFileAdd1.size() + l.lUpdate1.size() + l.rUpdate1.size();
    }

    long long LabelCount(int id) {
        std::string text = ui::GetText(Control(id));
        size_t colon = text.rfind(": ");
        return colon == std::string::npos ? -1 : std::atoll(text.c_str() + colon + 2);
    }

    // Clicks a tab as the user would, and paints the page.
    double SwitchPage(int index) {
        HWND tabs = Control(ids::PageControl1);
        RECT r{};
        TabCtrl_GetItemRect(tabs, index, &r);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Clock::time_point t = Clock::now();
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(tabs, WM_LBUTTONUP, 0, at);
        UpdateWindow(app_.fMirv95().hwnd());
        double ms = Ms(Clock::now() - t);
        Pump();
        return ms;
    }

    // To the last row with a forced paint; then page-downs from the top row, the worst of five.
    void Scroll(const std::string& name, int id) {
        HWND list = Control(id);
        int rows = ListView_GetItemCount(list);
        if (rows <= 0) return;
        SetFocus(list);
        Pump();
        UpdateWindow(list);

        Clock::time_point t = Clock::now();
        ListView_EnsureVisible(list, rows - 1, FALSE);
        UpdateWindow(list);
        Print(("scroll_to_end_" + name).c_str(), Ms(Clock::now() - t), "ms");
        Pump();

        ListView_EnsureVisible(list, 0, FALSE);
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        Pump();
        UpdateWindow(list);
        // The worst press, and how much of it the window's own handling of the list's
        // notifications took (the rest is the list view and its paint).
        double worst = 0, worstInWindow = 0;
        for (int i = 0; i < 5; ++i) {
            double notified = recording.costs.notify.ms;
            t = Clock::now();
            SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);
            UpdateWindow(list);
            double ms = Ms(Clock::now() - t);
            if (ms > worst) {
                worst = ms;
                worstInWindow = recording.costs.notify.ms - notified;
            }
            SendMessageW(list, WM_KEYUP, VK_NEXT, 0);
            Pump();
        }
        Print(("page_down_" + name).c_str(), worst, "ms");
        if (name == "items") Print("page_down_items_in_window", worstInWindow, "ms");
        Check(ListView_GetTopIndex(list) > 0, ("page-down scrolled " + name).c_str());
    }

    app::Application& app_;
    Clock::time_point start_{}, end_{};
    size_t fullScheduled_ = 0;
};

// The folder the probe gives the program as its own: its working folder and settings file.
std::string RunFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error) / "mirv-scale-probe";
    std::filesystem::create_directories(folder, error);
    auto text = folder.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

int main() {
    // The folders as Windows passes them, whatever the code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) {
        std::fprintf(stderr, "usage: mirv_scale_probe FIRST SECOND\n");
        return 2;
    }
    const std::wstring firstWide = argv[1], secondWide = argv[2];
    LocalFree(argv);
    if (!probe::StartAsTheProgram()) return 1;
    PrepareProgramKey(platform::Narrow(firstWide), platform::Narrow(secondWide));

    // What Wine's directory listing alone costs: both trees walked one after the other.
    Clock::time_point walk = Clock::now();
    long long entries = Walk(firstWide) + Walk(secondWide);
    Print("listing_both_trees_one_thread", Ms(Clock::now() - walk), "ms");
    PrintCount("listing_entries", entries, "entries");

    PrintingPrompter prompter;
    {
        Clock::time_point t = Clock::now();
        auto application = std::make_unique<app::Application>(prompter, RunFolder(), std::vector<std::string>{}, false);
        HWND window = application->fMirv95().hwnd();
        // The message loop's first showing, as Application::Run does it.
        ShowWindow(window, application->ShowCommand());
        UpdateWindow(window);
        Pump();
        Print("start_and_show", Ms(Clock::now() - t), "ms");

        recording.main = window;
        recording.label3 = GetDlgItem(window, ids::Label3);
        recording.stop = GetDlgItem(window, ids::bStop);
        recording.progress = GetDlgItem(window, ids::pb1);
        Watch(window);
        Watch(recording.label3);
        Watch(recording.progress);
        for (int id = ids::lFileAdd1; id <= ids::lvRemote; ++id) Watch(GetDlgItem(window, id));

        Probe probe(*application);
        probe.FullLoad();
        probe.Scrolling();
        probe.StoppedLoad("stop_at_start", 0);
        probe.StoppedLoad("stop_at_quarter", 25);
        PrintCount("full_scheduled_entries", static_cast<long long>(probe.FullScheduled()), "entries");

        Unwatch();
        application.reset();
        Pump();
    }
    PrintCount("message_boxes", prompter.count, "boxes");
    Check(prompter.count == 0, "no message box");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str());
    CoUninitialize();
    PrintCount("failed_checks", failures, "checks");
    return failures ? 1 : 0;
}
