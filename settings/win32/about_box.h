#pragma once
// The About box TAboutBox: product name, version and the product's address.
#include <string>

#include "ui/dialog.h"
#include "ui/handles.h"
#include "ui/tooltips.h"

namespace settings {

class TAboutBox final : public ui::Dialog {
public:
    TAboutBox(ui::Prompter& prompter, HWND owner, std::string address);

    static const char* const kConfirmation;

protected:
    void OnShow() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // A double click on the icon or the address: confirm, then open the address.
    void OfferAddress();
    void PaintPanel();

    std::string address_;
    ui::Tooltips hints_;
    ui::ScopedIcon icon_;
    ui::ScopedGdiObject titleFont_;
};

}  // namespace settings
