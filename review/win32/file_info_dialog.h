#pragma once
// The File Information dialog TfInfo: both copies of one planned update.
#include "ui/dialog.h"

namespace review {

class TfInfo final : public ui::Dialog {
public:
    TfInfo(ui::Prompter& prompter, HWND owner);
};

}  // namespace review
