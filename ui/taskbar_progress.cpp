#include "ui/taskbar_progress.h"

namespace ui {

ITaskbarList3* TaskbarProgress::List() {
    if (!asked_) {
        asked_ = true;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list_))) ||
            FAILED(list_->HrInit()))
            list_.Reset();
    }
    return list_.Get();
}

void TaskbarProgress::Show(HWND window, int percent) {
    ITaskbarList3* list = List();
    if (!list) return;
    if (!showing_) showing_ = SUCCEEDED(list->SetProgressState(window, TBPF_NORMAL));
    list->SetProgressValue(window, static_cast<ULONGLONG>(percent), 100);
}

void TaskbarProgress::Clear(HWND window) {
    if (!showing_) return;
    showing_ = false;
    list_->SetProgressState(window, TBPF_NOPROGRESS);
}

}  // namespace ui
