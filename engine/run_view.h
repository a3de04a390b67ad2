#pragma once
// What the engine steps need of the window. The main window implements it; tests use a recorder.
#include <string_view>

namespace engine {

class RunView {
public:
    virtual ~RunView() = default;
    virtual void SetStepCaption(std::string_view caption) = 0;  // Label3
    virtual void SetProgress(int percent) = 0;                  // pb1, 0 to 100
    virtual void ProcessMessages() = 0;                         // let pending window messages run
    virtual bool StopRequested() const = 0;
    // A warning message box with Yes and No, the button preferred taking Enter; true for Yes.
    enum class Default { Yes, No };
    virtual bool AskYesNo(std::string_view text, Default preferred) = 0;
    // A warning message box with OK.
    virtual void Warn(std::string_view text) = 0;
};

}  // namespace engine
