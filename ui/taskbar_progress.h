#pragma once
// The progress a window's taskbar button shows, through the shell's taskbar list where the shell
// offers it (Windows 7 and later). Where it does not, or COM is not set up, nothing is shown.
#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

namespace ui {

class TaskbarProgress {
public:
    // percent: 0 to 100.
    void Show(HWND window, int percent);
    // The button back to its plain look.
    void Clear(HWND window);

private:
    // Asked for once, when first needed: by then the window's button exists.
    ITaskbarList3* List();

    Microsoft::WRL::ComPtr<ITaskbarList3> list_;
    bool asked_ = false;
    bool showing_ = false;
};

}  // namespace ui
