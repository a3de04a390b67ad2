#pragma once
// Base of every window class: stores `this` at WM_NCCREATE and hands messages to a member.
// The procedure is the noexcept edge: an error escaping a handler ends that handler and is shown
// by the application's error handler, as the program always did.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/prompter.h"

namespace ui {

struct Rect {
    int x, y, w, h;
};

// Pixels of the 96-DPI layout scaled to the display.
class Dpi {
public:
    Dpi();
    int operator()(int designPixels) const { return MulDiv(designPixels, dpi_, 96); }
    int value() const { return dpi_; }

private:
    int dpi_;
};

class Window {
public:
    explicit Window(Prompter& prompter) : prompter_(prompter) {}
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    Prompter& prompter() const { return prompter_; }

protected:
    // Registers the class once and creates the window with the given client size (96-DPI pixels),
    // centred on the screen.
    void CreateFramed(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, int clientWidth,
                      int clientHeight, HWND owner, HMENU menu);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The application's error handler for an error that escaped a handler of this window.
    virtual void ShowHandlerError(std::string_view text) { prompter_.ShowError(hwnd_, text); }

    // A child control at a 96-DPI rectangle, in the window's font.
    HWND AddControl(const wchar_t* className, std::wstring_view text, DWORD style, Rect r, int id, DWORD exStyle = 0);
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    // New controls land beneath the earlier ones; group boxes and tab controls must lie beneath
    // the controls they enclose. Call once all controls exist.
    void SendFramesToBack();

    const Dpi& dpi() const { return dpi_; }
    HFONT font() const { return font_; }
    void SetBoldFont(HWND control);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    Prompter& prompter_;
    HWND hwnd_ = nullptr;
    Dpi dpi_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
};

// Text of a window or control, as UTF-8.
std::string GetText(HWND control);
void SetText(HWND control, std::string_view text);

// Lets pending window messages run, with the keyboard navigation and access keys of the given
// window, as its message loop has them. A WM_QUIT found here is posted again for the outer loop.
void ProcessPendingMessages(HWND window);

}  // namespace ui
