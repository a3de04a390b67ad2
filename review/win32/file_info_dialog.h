#pragma once
// The File Information dialog TfInfo: both copies of one planned update, with sizes and dates.
#include <optional>
#include <string>

#include "platform/file_ops.h"
#include "ui/dialog.h"

namespace review {

class TfInfo final : public ui::Dialog {
public:
    TfInfo(ui::Prompter& prompter, HWND owner, platform::FileOps& files);

    // Shows the dialog modally for the name given, or for the name of the previous request when
    // none is given; the paths are built from the folder fields as they read now.
    int ShowFor(HWND owner, const std::optional<std::string>& name, std::string firstFolder, std::string secondFolder);

protected:
    void OnShow() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    platform::FileOps& files_;
    std::string firstFolder_, secondFolder_;
};

}  // namespace review
