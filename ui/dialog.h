#pragma once
// A window shown modally: made once at start, hidden between uses, never destroyed until the end.
#include "ui/window.h"

namespace ui {

class Dialog : public Window {
public:
    using Window::Window;

    // Disables the owner, shows the dialog and runs its own message loop until EndModal.
    // Returns the result given to EndModal.
    int ShowModal(HWND owner);
    bool IsShowingModal() const { return modal_; }
    void EndModal(int result);

protected:
    // Runs each time the dialog is about to be shown.
    virtual void OnShow() {}
    // Esc and the close box end the dialog with IDCANCEL unless a derived class handles them.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool modal_ = false;
    int result_ = IDCANCEL;
};

}  // namespace ui
