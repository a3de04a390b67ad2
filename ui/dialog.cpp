#include "ui/dialog.h"

namespace ui {

int Dialog::ShowModal(HWND owner) {
    OnShow();
    modal_ = true;
    result_ = IDCANCEL;
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    MSG msg;
    while (modal_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: give the quit message back to the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            modal_ = false;
            break;
        }
        if (got < 0) break;
        if (!IsDialogMessageW(hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The owner is enabled before the dialog hides, so that Windows activates the owner again.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(hwnd(), SW_HIDE);
    return result_;
}

void Dialog::EndModal(int result) {
    result_ = result;
    modal_ = false;
    // Wakes the modal loop when EndModal is called from outside a message.
    PostMessageW(hwnd(), WM_NULL, 0, 0);
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        EndModal(IDCANCEL);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndModal(IDCANCEL);
            return 0;
        }
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
