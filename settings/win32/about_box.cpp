#include "settings/win32/about_box.h"

#include <commctrl.h>

#include "platform/program_values.h"
#include "platform/win32/wide.h"

namespace settings {

namespace {
enum : int { ProgramIcon = 500, ProductName, Version, Label2, bOK = IDOK };
constexpr ui::Rect kPanel{8, 8, 282, 192};
}  // namespace

const char* const TAboutBox::kConfirmation =
    "If you are already logged onto the Internet,\r"
    "press OK now.  If not, log onto the Internet,\r"
    "then press OK.  Press Cancel to exit.";

TAboutBox::TAboutBox(ui::Prompter& prompter, HWND owner, std::string address)
    : ui::Dialog(prompter), address_(std::move(address)) {
    // A dialog frame without title-bar buttons.
    CreateFramed(L"TAboutBox", L"About", WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME, 298, 244, owner,
                 nullptr);
    hints_.Create(hwnd());
    int size = dpi()(32);
    icon_.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    HWND picture = AddControl(WC_STATICW, L"", WS_VISIBLE | SS_ICON | SS_NOTIFY | SS_REALSIZECONTROL,
                              {kPanel.x + 16, kPanel.y + 16, 32, 32}, ProgramIcon);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    hints_.Set(picture, "Double Click to browse in the WWW");
    HWND name = AddControl(WC_STATICW, L"The Mirravel 98", WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                           {kPanel.x + 64, kPanel.y + 18, 200, 20}, ProductName);
    titleFont_.reset(CreateFontW(-MulDiv(12, dpi().value(), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
    AddControl(WC_STATICW, L"Version ", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {kPanel.x + 64, kPanel.y + 44, 200, 14},
               Version);
    HWND link = AddControl(WC_STATICW, platform::Widen(address_), WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_PATHELLIPSIS,
                           {kPanel.x + 16, kPanel.y + kPanel.h - 30, kPanel.w - 32, 14}, Label2);
    hints_.Set(link, "Double click to browse.");
    AddControl(WC_BUTTONW, L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {111, 210, 75, 25}, bOK);
}

void TAboutBox::OnShow() {
    ui::SetText(Control(Version), "Version " + platform::ReadProgramValue("Version"));
}

void TAboutBox::OfferAddress() {
    if (prompter().Confirm(hwnd(), kConfirmation)) prompter().Open(hwnd(), address_);
}

void TAboutBox::PaintPanel() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT r{dpi()(kPanel.x), dpi()(kPanel.y), dpi()(kPanel.x + kPanel.w), dpi()(kPanel.y + kPanel.h)};
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    EndPaint(hwnd(), &ps);
}

LRESULT TAboutBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintPanel(); return 0;
    case WM_COMMAND:
        if ((LOWORD(wParam) == ProgramIcon || LOWORD(wParam) == Label2) && HIWORD(wParam) == STN_DBLCLK) {
            OfferAddress();
            return 0;
        }
        if (LOWORD(wParam) == IDOK) {
            EndModal(IDOK);
            return 0;
        }
        break;
    }
    return ui::Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace settings
