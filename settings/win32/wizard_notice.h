#pragma once
// The multi-directory notice TfMWiz, shown between the folder pairs of a multi-directory run.
// Its box "Show Sync Wizard" is the stored switch usewiz.
#include "settings/settings.h"
#include "ui/dialog.h"

namespace settings {

class TfMWiz final : public ui::Dialog {
public:
    // Reads usewiz: only the exact text "false" switches the notice (and the Options box) off.
    TfMWiz(ui::Prompter& prompter, Settings& settings, HWND owner);

    bool ShowWizard() const;
    // Ticks or unticks "Show Sync Wizard"; every change is stored at once.
    void SetShowWizard(bool on);

    static const char* const kText;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace settings
