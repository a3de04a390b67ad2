#pragma once
// The multi-directory notice TfMWiz, shown between the folder pairs of a multi-directory run.
// Its box "Show Sync Wizard" is the stored switch usewiz.
#include "settings/settings.h"
#include "ui/dialog.h"

namespace settings {

class TfMWiz final : public ui::Dialog {
public:
    // The notice with "Show Sync Wizard" ticked.
    TfMWiz(ui::Prompter& prompter, HWND owner);
    // The creation handler: reads usewiz; only the exact text "false" switches the notice (and the
    // Options box) off. A value of another type raises its error, and the box stays ticked.
    void FormCreate(Settings& settings);

    bool ShowWizard() const;
    // Ticks or unticks "Show Sync Wizard"; every change is stored at once.
    void SetShowWizard(bool on);

    static const char* const kText;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace settings
