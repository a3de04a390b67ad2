#include "ui/window.h"

#include <exception>
#include <stdexcept>
#include <vector>

#include <commctrl.h>

#include "platform/win32/wide.h"

namespace ui {

namespace {

HFONT MakeFont(const Dpi& dpi, int weight) {
    // 8-point "MS Sans Serif", the program's face; the system substitutes its nearest match.
    return CreateFontW(-MulDiv(8, dpi.value(), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       L"MS Sans Serif");
}

}  // namespace

Dpi::Dpi() {
    HDC screen = GetDC(nullptr);
    dpi_ = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    if (dpi_ <= 0) dpi_ = 96;
}

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
}

void Window::CreateFramed(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                          int clientWidth, int clientHeight, HWND owner, HMENU menu) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    font_ = MakeFont(dpi_, FW_NORMAL);
    RECT r{0, 0, dpi_(clientWidth), dpi_(clientHeight)};
    AdjustWindowRectEx(&r, style, menu != nullptr, exStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - w) / 2, y = work.top + (work.bottom - work.top - h) / 2;
    CreateWindowExW(exStyle, className, caption, style, x, y, w, h, owner, menu, instance, this);
    if (!hwnd_) throw std::runtime_error("The window could not be created.");
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

HWND Window::AddControl(const wchar_t* className, std::wstring_view text, DWORD style, Rect r, int id,
                        DWORD exStyle) {
    // Controls never paint over their siblings (frames go beneath them: SendFramesToBack).
    HWND control = CreateWindowExW(exStyle, className, std::wstring(text).c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, dpi_(r.x),
                                   dpi_(r.y), dpi_(r.w), dpi_(r.h), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

void Window::SendFramesToBack() {
    // Group boxes go down first and tab controls last, so that the pages lie beneath their frames.
    std::vector<HWND> groupBoxes, tabs;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, WC_BUTTONW) == 0 && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            groupBoxes.push_back(child);
        else if (lstrcmpiW(cls, WC_TABCONTROLW) == 0)
            tabs.push_back(child);
    }
    for (const auto* frames : {&groupBoxes, &tabs})
        for (HWND frame : *frames) SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Window::SetBoldFont(HWND control) {
    if (!boldFont_) boldFont_ = MakeFont(dpi_, FW_BOLD);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), FALSE);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        LRESULT result = self->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    } catch (const std::exception& e) {
        self->ShowHandlerError(e.what());
    } catch (...) {
        self->ShowHandlerError("Unexpected error.");
    }
    return 0;
}

std::string GetText(HWND control) {
    int n = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(control, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return platform::Narrow(text);
}

void SetText(HWND control, std::string_view text) { SetWindowTextW(control, platform::Widen(text).c_str()); }

void ProcessPendingMessages(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (window && IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace ui
