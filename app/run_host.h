#pragma once
// What the Load and Sync runs need of the main window, beyond what the engine steps need.
#include <string>
#include <string_view>

#include "engine/run_view.h"

namespace app {

enum class Button { Sync, Load, Next, Options, Stop, Exit };
enum class Side { First, Second };

class RunHost : public engine::RunView {
public:
    virtual void EnableButton(Button button, bool enabled) = 0;
    virtual void ShowButton(Button button, bool shown) = 0;
    virtual void SetStatus(int panel, std::string_view text) = 0;
    virtual std::string Status(int panel) const = 0;
    virtual std::string FolderText(Side side) const = 0;
    // The folder edit's text and its hint.
    virtual void SetFolder(Side side, std::string_view path) = 0;
    virtual void SetItemCaptions(std::string_view first, std::string_view second) = 0;
    virtual void SetTotalTexts(std::string_view first, std::string_view second) = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void ShowItemListPage() = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    // Paints what changed at once, before long work starts.
    virtual void Repaint() = 0;
    // Sleeps until a window message arrives, then lets the pending ones run.
    virtual void WaitForMessage() = 0;
    // A question with Yes and No under a caption of its own; true for Yes.
    virtual bool Ask(std::string_view caption, std::string_view text) = 0;
    // The wizard notice, shown modally when its "Show Sync Wizard" box is ticked.
    virtual void OfferWizardNotice() = 0;
    // The model lists changed: the list views show their new lengths.
    virtual void ListsChanged() = 0;
    virtual void ResetWindow() = 0;
    virtual void ResetTotals() = 0;
    virtual void ComputeTotals() = 0;
    virtual void StartCountdown() = 0;
};

}  // namespace app
