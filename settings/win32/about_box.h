#pragma once
// The About box TAboutBox: product name and version.
#include "ui/dialog.h"

namespace settings {

class TAboutBox final : public ui::Dialog {
public:
    TAboutBox(ui::Prompter& prompter, HWND owner);
};

}  // namespace settings
