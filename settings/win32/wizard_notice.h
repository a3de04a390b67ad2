#pragma once
// The multi-directory notice TfMWiz; its box "Show Sync Wizard" is the stored switch usewiz.
#include "settings/settings.h"
#include "ui/dialog.h"

namespace settings {

class TfMWiz final : public ui::Dialog {
public:
    // Reads usewiz: only the exact text "false" switches the notice (and the Options box) off.
    TfMWiz(ui::Prompter& prompter, Settings& settings, HWND owner);
};

}  // namespace settings
