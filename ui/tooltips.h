#pragma once
// Hints: the tooltip text shown while the pointer rests on a control.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/handles.h"

namespace ui {

class Tooltips {
public:
    void Create(HWND owner);
    void Set(HWND control, std::string_view text);  // adds the control on first use
    std::string Get(HWND control) const;

private:
    ScopedWindow window_;
    HWND owner_ = nullptr;
};

}  // namespace ui
