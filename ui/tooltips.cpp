#include "ui/tooltips.h"

#include <commctrl.h>

#include "platform/win32/wide.h"

namespace ui {

namespace {
TTTOOLINFOW Tool(HWND owner, HWND control, wchar_t* text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text;
    return ti;
}
}  // namespace

void Tooltips::Create(HWND owner) {
    owner_ = owner;
    window_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    SendMessageW(window_.get(), TTM_SETMAXTIPWIDTH, 0, 600);
}

void Tooltips::Set(HWND control, std::string_view text) {
    std::wstring wide = platform::Widen(text);
    TTTOOLINFOW ti = Tool(owner_, control, wide.data());
    TTTOOLINFOW probe = Tool(owner_, control, nullptr);
    if (SendMessageW(window_.get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)))
        SendMessageW(window_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    else
        SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string Tooltips::Get(HWND control) const {
    std::wstring buffer(32768, L'\0');
    TTTOOLINFOW ti = Tool(owner_, control, buffer.data());
    SendMessageW(window_.get(), TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&ti));
    return platform::Narrow(buffer.c_str());
}

}  // namespace ui
