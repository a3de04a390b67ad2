#pragma once
// What the engine steps need of the window. The main window implements it; tests use a recorder.
#include <chrono>
#include <future>
#include <string_view>

namespace engine {

class RunView {
public:
    virtual ~RunView() = default;
    virtual void SetStepCaption(std::string_view caption) = 0;  // Label3
    virtual void SetProgress(int percent) = 0;                  // pb1, 0 to 100
    virtual void ProcessMessages() = 0;                         // let pending window messages run
    // Lets pending messages run while work goes on elsewhere: the window stays alive, and it is no point
    // at which a step looks at Stop.
    virtual void KeepAlive() { ProcessMessages(); }
    virtual bool StopRequested() const = 0;
    // A warning message box with Yes and No, the button preferred taking Enter; true for Yes.
    enum class Default { Yes, No };
    virtual bool AskYesNo(std::string_view text, Default preferred) = 0;
    // A warning message box with OK.
    virtual void Warn(std::string_view text) = 0;
};

// Runs work on a thread of its own (it must touch nothing the window's handlers can reach) while the
// window lets its messages run every few milliseconds: a shell operation that takes a second never holds
// the window.
template <class Work>
auto WhileAlive(RunView& view, Work work) {
    auto result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) view.KeepAlive();
    return result.get();
}

}  // namespace engine
